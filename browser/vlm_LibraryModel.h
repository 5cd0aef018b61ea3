#pragma once
// The directory tree's model: rows over the library core's documents, built only as a view asks
// for them. A row stands for an element among its parent's shown children (vlm_LibraryOps); a
// loaded journal's entry shows its journal's days, so two entries of one journal are two views of
// the same elements. Rows follow the core's signals: a change of an element's fields becomes
// dataChanged, a change of its children inserted, removed or moved rows; the library's whole tree
// exchanged, a reset.
#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <memory>
#include <vector>

class TLibrary;
class TXMLNode;

class TLibraryModel : public QAbstractItemModel {
  Q_OBJECT
public:
  // Pictures of the kinds, as indexes of the library's icons; 0 is shown for the selected row.
  static constexpr int kPictureLibrary = 1;
  static constexpr int kPictureCatalog = 2;
  static constexpr int kPictureJournal = 3;
  static constexpr int kPictureDay = 4;
  static constexpr int kPictureExperience = 5;

  explicit TLibraryModel(TLibrary& library, QObject* parent = nullptr);
  ~TLibraryModel() override;

  // The library's root as the only top-level row (without rows below it when the library may not
  // be shown); Clear takes every row away.
  void ShowLibrary(bool withChildren);
  void Clear();
  // The element of a row: a loaded journal entry's journal root, else its entry.
  static TXMLNode* ElementOf(const QModelIndex& index);
  // The element a row stands for among its parent's children: a loaded journal's library entry.
  static TXMLNode* EntryOf(const QModelIndex& index);
  static int PictureOf(const TXMLNode* element);
  static QString CaptionOf(const TXMLNode* entry);
  // The rows built so far that show `element` (as their element or their entry).
  QModelIndexList RowsOf(const TXMLNode* element) const;
  // The row of `element` below `top` (not `top` itself), found in the documents and built on the
  // way; invalid when it is not there. Journals entered below `top` are not searched.
  QModelIndex Find(const QModelIndex& top, const TXMLNode* element) const;
  // The first row built that shows `element`, else its row below a loaded journal's row.
  QModelIndex FindAnywhere(const TXMLNode* element) const;
  // Rows of journal entries follow the pairs: a journal loaded or read again shows its days.
  void FollowPairs();

  // The picture of an index in the library's icons, and a row's tool tip.
  std::function<QIcon(int picture)> Icon;
  std::function<QString(const QModelIndex&)> ToolTip;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& = QModelIndex()) const override { return 1; }
  bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
  // The library's whole tree is exchanged (read again, restored, that undone): every row is about
  // to go (a view's state, such as which rows are open, can still be read), then the new tree's
  // rows are there.
  void LibraryGoing();
  void LibraryShown();

private:
  struct TNode;
  TNode* NodeAt(const QModelIndex& index) const;
  QModelIndex IndexOf(const TNode* node) const;
  TNode* Built(const QModelIndex& parent) const;
  void Build(TNode& node) const;
  TXMLNode* PairedRoot(const TXMLNode* entry) const;
  // Every node built so far, parents before children.
  std::vector<TNode*> AllNodes() const;
  void EntryChanged(TXMLNode* element);
  void ChildrenChanged(TXMLNode* parent);
  void ForgetRoot(const TXMLNode* old);
  // The rows below `node` follow its element's children: one added, removed, or two exchanged;
  // anything else takes every row away and shows them again.
  void Follow(TNode& node);
  void ShowAgain(TNode& node);

  TLibrary& FLibrary;
  std::unique_ptr<TNode> FTop;  // above the rows: its child is the library's root
};
