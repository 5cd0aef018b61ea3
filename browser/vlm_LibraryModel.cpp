#include "vlm_LibraryModel.h"

#include <QPersistentModelIndex>
#include <algorithm>
#include <string>

#include "vlm_Library.h"
#include "vlm_LibraryOps.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "xml_node.h"

struct TLibraryModel::TNode {
  TXMLNode* Entry = nullptr;  // the element among its parent's shown children
  TXMLNode* Root = nullptr;   // a loaded journal entry's journal root
  TNode* Parent = nullptr;
  int Row = 0;
  bool IsBuilt = false;  // the children were asked for
  std::vector<std::unique_ptr<TNode>> Children;

  TXMLNode* Element() const { return Root ? Root : Entry; }
  static void Free(std::vector<std::unique_ptr<TNode>>& children);
  ~TNode() { Free(Children); }
  void Renumber(std::size_t from) {
    for (std::size_t i = from; i < Children.size(); ++i) Children[i]->Row = static_cast<int>(i);
  }
};

void TLibraryModel::TNode::Free(std::vector<std::unique_ptr<TNode>>& children) {
  // Each node goes as a leaf: a file decides how deep the rows go, the stack must not.
  std::vector<std::unique_ptr<TNode>> pending = std::move(children);
  children.clear();
  while (!pending.empty()) {
    std::unique_ptr<TNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->Children) pending.push_back(std::move(child));
    node->Children.clear();
  }
}

TLibraryModel::TLibraryModel(TLibrary& library, QObject* parent)
    : QAbstractItemModel(parent), FLibrary(library), FTop(std::make_unique<TNode>()) {
  FTop->IsBuilt = true;
  connect(&library, &TLibrary::EntryChanged, this, &TLibraryModel::EntryChanged);
  connect(&library, &TLibrary::ChildrenChanged, this, [this](TXMLNode* parent, TXMLNode*) { ChildrenChanged(parent); });
  connect(&library, &TLibrary::RootReplacing, this, &TLibraryModel::ForgetRoot);
  // The library's tree exchanged: every row goes before its element does, then the new tree's rows.
  connect(&library, &TLibrary::LibraryReplacing, this, [this] {
    emit LibraryGoing();
    Clear();
  });
  connect(&library, &TLibrary::LibraryReplaced, this, [this] {
    ShowLibrary(true);
    emit LibraryShown();
  });
}

TLibraryModel::~TLibraryModel() = default;

void TLibraryModel::ShowLibrary(bool withChildren) {
  beginResetModel();
  TNode::Free(FTop->Children);
  auto root = std::make_unique<TNode>();
  root->Entry = &FLibrary.Root();
  root->IsBuilt = !withChildren;  // no rows below it then
  root->Parent = FTop.get();
  FTop->Children.push_back(std::move(root));
  endResetModel();
}

void TLibraryModel::Clear() {
  beginResetModel();
  TNode::Free(FTop->Children);
  endResetModel();
}

TLibraryModel::TNode* TLibraryModel::NodeAt(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : FTop.get();
}

TXMLNode* TLibraryModel::ElementOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<TNode*>(index.internalPointer())->Element() : nullptr;
}

TXMLNode* TLibraryModel::EntryOf(const QModelIndex& index) {
  return index.isValid() ? static_cast<TNode*>(index.internalPointer())->Entry : nullptr;
}

QModelIndex TLibraryModel::IndexOf(const TNode* node) const {
  return node == FTop.get() ? QModelIndex() : createIndex(node->Row, 0, const_cast<TNode*>(node));
}

TXMLNode* TLibraryModel::PairedRoot(const TXMLNode* entry) const {
  if (entry->Name != tagFile) return nullptr;
  for (const TXMLPair& pair : FLibrary.Pairs().Pairs)
    if (pair.First == entry) return pair.Second;
  return nullptr;
}

void TLibraryModel::Build(TNode& node) const {
  node.IsBuilt = true;
  const std::vector<TXMLNode*> shown = ShownChildren(*node.Element());
  node.Children.reserve(shown.size());
  for (TXMLNode* element : shown) {
    auto child = std::make_unique<TNode>();
    child->Entry = element;
    child->Root = PairedRoot(element);
    child->Parent = &node;
    child->Row = static_cast<int>(node.Children.size());
    node.Children.push_back(std::move(child));
  }
}

TLibraryModel::TNode* TLibraryModel::Built(const QModelIndex& parent) const {
  TNode* node = NodeAt(parent);
  if (!node->IsBuilt) Build(*node);
  return node;
}

QModelIndex TLibraryModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  TNode* node = Built(parent);
  if (row >= static_cast<int>(node->Children.size())) return {};
  return createIndex(row, 0, node->Children[static_cast<std::size_t>(row)].get());
}

QModelIndex TLibraryModel::parent(const QModelIndex& index) const {
  return index.isValid() ? IndexOf(NodeAt(index)->Parent) : QModelIndex();
}

int TLibraryModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(Built(parent)->Children.size());
}

bool TLibraryModel::hasChildren(const QModelIndex& parent) const {
  const TNode* node = NodeAt(parent);
  if (node->IsBuilt) return !node->Children.empty();
  return ShownChild(*node->Element(), 0) != nullptr;  // the arrow without building the rows
}

int TLibraryModel::PictureOf(const TXMLNode* element) {
  if (element->Name == tagDreamLibrary) return kPictureLibrary;
  if (element->Name == tagFile || element->Name == tagJournal) return kPictureJournal;
  if (element->Name == tagDay) return kPictureDay;
  if (element->Name == tagExperience) return kPictureExperience;
  return kPictureCatalog;
}

QString TLibraryModel::CaptionOf(const TXMLNode* entry) {
  if (entry->Name == tagExperience)
    return FromCp(entry->GetAttribute(attrNumber) + std::string(litNumberSeparator) + entry->GetAttribute(attrTitle));
  return FromCp(entry->GetAttribute(attrName));
}

QVariant TLibraryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const TNode* node = NodeAt(index);
  switch (role) {
    case Qt::DisplayRole:
      return CaptionOf(node->Entry);
    case Qt::DecorationRole:
      return Icon ? QVariant(Icon(PictureOf(node->Element()))) : QVariant();
    case Qt::ToolTipRole:
      return ToolTip ? QVariant(ToolTip(index)) : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags TLibraryModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;  // never edited in place
}

std::vector<TLibraryModel::TNode*> TLibraryModel::AllNodes() const {
  std::vector<TNode*> all;
  for (std::vector<TNode*> pending{FTop.get()}; !pending.empty();) {
    TNode* node = pending.back();
    pending.pop_back();
    if (node != FTop.get()) all.push_back(node);
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) pending.push_back(it->get());
  }
  return all;
}

QModelIndexList TLibraryModel::RowsOf(const TXMLNode* element) const {
  QModelIndexList rows;
  if (!element) return rows;
  for (const TNode* node : AllNodes())
    if (node->Entry == element || node->Root == element) rows << IndexOf(node);
  return rows;
}

QModelIndex TLibraryModel::Find(const QModelIndex& top, const TXMLNode* element) const {
  const TXMLNode* start = ElementOf(top);
  if (!start || !element) return {};
  // Through the documents first (cheap), then the rows of the path alone are built.
  struct TFrame {
    const TXMLNode* Element;
    int Up;  // the frame of the parent, -1 for `top`
    int Row;
  };
  std::vector<TFrame> frames{{start, -1, 0}};
  for (std::vector<int> pending{0}; !pending.empty();) {
    const int at = pending.back();
    pending.pop_back();
    const std::vector<TXMLNode*> shown = ShownChildren(*frames[static_cast<std::size_t>(at)].Element);
    for (std::size_t row = 0; row < shown.size(); ++row) {
      frames.push_back({shown[row], at, static_cast<int>(row)});
      if (shown[row] != element) {
        pending.push_back(static_cast<int>(frames.size()) - 1);
        continue;
      }
      std::vector<int> path;
      for (int f = static_cast<int>(frames.size()) - 1; frames[static_cast<std::size_t>(f)].Up >= 0;
           f = frames[static_cast<std::size_t>(f)].Up)
        path.push_back(frames[static_cast<std::size_t>(f)].Row);
      QModelIndex found = top;
      for (auto it = path.rbegin(); it != path.rend() && found.isValid(); ++it) found = index(*it, 0, found);
      return found;
    }
  }
  return {};
}

QModelIndex TLibraryModel::FindAnywhere(const TXMLNode* element) const {
  const QModelIndexList rows = RowsOf(element);
  if (!rows.isEmpty()) return rows.first();
  if (!element) return {};
  for (const TNode* node : AllNodes())
    if (node->Root)
      if (const QModelIndex found = Find(IndexOf(node), element); found.isValid()) return found;
  return {};
}

void TLibraryModel::EntryChanged(TXMLNode* element) {
  for (const QModelIndex& row : RowsOf(element)) emit dataChanged(row, row);
}

void TLibraryModel::ChildrenChanged(TXMLNode* parent) {
  FollowPairs();
  QList<QPersistentModelIndex> rows;
  for (TNode* node : AllNodes())
    if (node->Element() == parent) rows << QPersistentModelIndex(IndexOf(node));
  // A row below another one of the list may go with it.
  for (const QPersistentModelIndex& row : rows)
    if (row.isValid()) Follow(*NodeAt(row));
}

void TLibraryModel::ForgetRoot(const TXMLNode* old) {
  // Every row showing the old root gives up its rows while their elements are still there (a view
  // may read any row while one of them goes); until the new root follows, it shows no rows.
  QList<QPersistentModelIndex> showing;
  for (TNode* node : AllNodes())
    if (node->Root == old) showing << QPersistentModelIndex(IndexOf(node));
  for (const QPersistentModelIndex& row : showing) {
    if (!row.isValid()) continue;
    TNode& node = *NodeAt(row);
    if (!node.Children.empty()) {
      beginRemoveRows(row, 0, static_cast<int>(node.Children.size()) - 1);
      TNode::Free(node.Children);
      endRemoveRows();
    }
    node.IsBuilt = true;
  }
  for (const QPersistentModelIndex& row : showing)
    if (row.isValid()) NodeAt(row)->Root = nullptr;
}

void TLibraryModel::FollowPairs() {
  // A journal read again freed the elements below its old root: nothing below a stale row is read.
  QList<QPersistentModelIndex> stale;
  for (std::vector<TNode*> pending{FTop.get()}; !pending.empty();) {
    TNode* node = pending.back();
    pending.pop_back();
    if (node != FTop.get() && node->Entry->Name == tagFile && PairedRoot(node->Entry) != node->Root) {
      stale << QPersistentModelIndex(IndexOf(node));
      continue;
    }
    for (const auto& child : node->Children) pending.push_back(child.get());
  }
  for (const QPersistentModelIndex& row : stale) {
    if (!row.isValid()) continue;
    TNode& node = *NodeAt(row);
    if (PairedRoot(node.Entry) == node.Root) continue;
    ShowAgain(node);
    emit dataChanged(row, row);
  }
}

void TLibraryModel::ShowAgain(TNode& node) {
  const QModelIndex at = IndexOf(&node);
  if (!node.Children.empty()) {
    beginRemoveRows(at, 0, static_cast<int>(node.Children.size()) - 1);
    TNode::Free(node.Children);
    endRemoveRows();
  }
  if (node.Entry) node.Root = PairedRoot(node.Entry);
  node.IsBuilt = true;
  const int count = static_cast<int>(ShownChildren(*node.Element()).size());
  if (count == 0) return;
  beginInsertRows(at, 0, count - 1);
  Build(node);
  endInsertRows();
}

void TLibraryModel::Follow(TNode& node) {
  if (!node.IsBuilt) {
    // The view may have been told of no children: rows are announced as they are built.
    ShowAgain(node);
    return;
  }
  const QModelIndex at = IndexOf(&node);
  const std::vector<TXMLNode*> wanted = ShownChildren(*node.Element());
  std::vector<TXMLNode*> shown;
  for (const auto& child : node.Children) shown.push_back(child->Entry);
  const std::size_t n = shown.size(), m = wanted.size();
  std::size_t first = 0;
  while (first < std::min(n, m) && shown[first] == wanted[first]) ++first;
  if (first == n && n == m) return;
  const int row = static_cast<int>(first);
  if (m == n + 1 && std::equal(shown.begin() + row, shown.end(), wanted.begin() + row + 1)) {
    beginInsertRows(at, row, row);
    auto child = std::make_unique<TNode>();
    child->Entry = wanted[first];
    child->Root = PairedRoot(wanted[first]);
    child->Parent = &node;
    node.Children.insert(node.Children.begin() + row, std::move(child));
    node.Renumber(first);
    endInsertRows();
    return;
  }
  if (n == m + 1 && std::equal(wanted.begin() + row, wanted.end(), shown.begin() + row + 1)) {
    beginRemoveRows(at, row, row);
    std::vector<std::unique_ptr<TNode>> gone;
    gone.push_back(std::move(node.Children[first]));
    node.Children.erase(node.Children.begin() + row);
    node.Renumber(first);
    TNode::Free(gone);
    endRemoveRows();
    return;
  }
  if (n == m) {
    std::size_t last = n - 1;
    while (last > first && shown[last] == wanted[last]) --last;
    if (shown[first] == wanted[last] && shown[last] == wanted[first] &&
        std::equal(shown.begin() + row + 1, shown.begin() + static_cast<int>(last), wanted.begin() + row + 1)) {
      // Moved rather than built again: expansion and the selection stay with the rows.
      auto move = [&](std::size_t from, std::size_t to) {  // `to`: the row before which it goes
        beginMoveRows(at, static_cast<int>(from), static_cast<int>(from), at, static_cast<int>(to));
        std::unique_ptr<TNode> moved = std::move(node.Children[from]);
        node.Children.erase(node.Children.begin() + static_cast<int>(from));
        node.Children.insert(node.Children.begin() + static_cast<int>(to > from ? to - 1 : to), std::move(moved));
        node.Renumber(std::min(from, to));
        endMoveRows();
      };
      move(last, first);
      if (last > first + 1) move(first + 1, last + 1);
      return;
    }
  }
  ShowAgain(node);
}
