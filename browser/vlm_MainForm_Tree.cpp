// The directory tree: building it from the library at start-up (which also reads the settings),
// adding branches, and the binding of tree nodes to elements.
#include <QCheckBox>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <set>

#include "vlm_LibraryOps.h"
#include "vlm_MainForm.h"
#include "vlm_Pictures.h"
#include "vlm_Resources.h"
#include "vlm_Settings.h"
#include "vlm_Strings.h"
#include "vlm_Types.h"
#include "vlm_Widgets.h"
#include "xml_functions.h"

namespace {
constexpr int kElementRole = Qt::UserRole;
constexpr int kPictureRole = Qt::UserRole + 1;
constexpr int kPendingRole = Qt::UserRole + 2;  // a day whose dreams have no nodes yet
constexpr int kEntryRole = Qt::UserRole + 3;    // a loaded journal's node: its library entry

// Pictures of the node kinds (index in iml_TreeImages); 0 is shown for the selected node.
constexpr int kPictureLibrary = 1;
constexpr int kPictureCatalog = 2;
constexpr int kPictureJournal = 3;
constexpr int kPictureDay = 4;
constexpr int kPictureExperience = 5;

bool Undefined(const std::string& value) { return value == litUndefined; }
}  // namespace

TXMLNode* Tfrm_MainForm::NodeOf(const QTreeWidgetItem* item) {
  if (!item) return nullptr;
  return reinterpret_cast<TXMLNode*>(item->data(0, kElementRole).value<quintptr>());
}

void Tfrm_MainForm::Bind(QTreeWidgetItem* item, TXMLNode* element) {
  item->setData(0, kElementRole, QVariant::fromValue(reinterpret_cast<quintptr>(element)));
}

void Tfrm_MainForm::BindJournal(QTreeWidgetItem* item, TXMLNode* entry, TXMLNode* root) {
  item->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(entry)));
  Bind(item, root);
}

TXMLNode* Tfrm_MainForm::EntryOf(const QTreeWidgetItem* item) {
  const QVariant entry = item->data(0, kEntryRole);
  return entry.isValid() ? reinterpret_cast<TXMLNode*>(entry.value<quintptr>()) : NodeOf(item);
}

int Tfrm_MainForm::PictureOf(const QTreeWidgetItem* item) {
  const QVariant v = item->data(0, kPictureRole);
  return v.isValid() ? v.toInt() : -1;
}

void Tfrm_MainForm::SetNodePicture(QTreeWidgetItem* item, int index) {
  item->setData(0, kPictureRole, index);
  item->setIcon(0, iml_TreeImages.NodeIcon(index));
}

void Tfrm_MainForm::RefreshNodePictures() {
  // Only nodes whose picture changed: setting an icon again costs the view a notice per node.
  for (QTreeWidgetItemIterator it(tre_Directory); *it; ++it)
    if ((*it)->icon(0).cacheKey() != iml_TreeImages.NodeIcon(PictureOf(*it)).cacheKey()) SetNodePicture(*it, PictureOf(*it));
}

QTreeWidgetItem* Tfrm_MainForm::AddNode(QTreeWidgetItem* parent, TXMLNode* element, const QString& caption,
                                        int picture) {
  auto* item = new QTreeWidgetItem(parent, QStringList{caption});
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);  // captions are not edited in place
  Bind(item, element);
  SetNodePicture(item, picture);
  return item;
}

void Tfrm_MainForm::TearDownTree(QTreeWidget* tree) {
  // Taken out of the view first (one pass over the branch, without recursion). No selection
  // handler runs on the way.
  const QSignalBlocker quiet(tree);
  while (tree->topLevelItemCount() > 0) FreeBranch(tree->takeTopLevelItem(tree->topLevelItemCount() - 1));
}

void Tfrm_MainForm::FreeBranch(QTreeWidgetItem* top) {
  // QTreeWidgetItem frees its children recursively. Each node is freed as a leaf instead: the
  // deepest last child is taken from its parent (cheap for a leaf) and deleted, until the branch
  // is gone.
  {
    std::vector<QTreeWidgetItem*> path{top};
    while (!path.empty()) {
      QTreeWidgetItem* item = path.back();
      if (const int n = item->childCount()) {
        path.push_back(item->child(n - 1));
        continue;
      }
      path.pop_back();
      if (!path.empty()) path.back()->takeChild(path.back()->childCount() - 1);
      delete item;
    }
  }
}

void Tfrm_MainForm::BuildPendingNodes(QTreeWidgetItem* node) {
  if (!node || !node->data(0, kPendingRole).toBool()) return;
  node->setData(0, kPendingRole, QVariant());
  node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  const TXMLNode* day = NodeOf(node);
  QList<QTreeWidgetItem*> dreams;
  for (const auto& child : day->Children)
    if (child->Name == tagExperience)
      dreams.append(AddNode(nullptr, child.get(), ExperienceCaption(child.get()), kPictureExperience));
  node->addChildren(dreams);
}

void Tfrm_MainForm::BuildAllPendingNodes() {
  std::vector<QTreeWidgetItem*> pending;
  for (QTreeWidgetItemIterator it(tre_Directory); *it; ++it)
    if ((*it)->data(0, kPendingRole).toBool()) pending.push_back(*it);
  for (QTreeWidgetItem* node : pending) BuildPendingNodes(node);
}

QTreeWidgetItem* Tfrm_MainForm::AddPendingDay(TXMLNode* day) {
  QTreeWidgetItem* node = AddNode(nullptr, day, FromCp(day->GetAttribute(attrName)), kPictureDay);
  for (const auto& child : day->Children) {
    if (child->Name != tagExperience) continue;
    node->setData(0, kPendingRole, true);
    node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    break;
  }
  return node;
}

QString Tfrm_MainForm::ExperienceCaption(const TXMLNode* experience) {
  return FromCp(experience->GetAttribute(attrNumber) + std::string(litNumberSeparator) +
                experience->GetAttribute(attrTitle));
}

void Tfrm_MainForm::BuildDirectoryTree() {
  TXMLNode* root = FLibrary->Root.get();
  auto* rootItem = new QTreeWidgetItem(QStringList{FromCp(root->GetAttribute(attrName))});
  rootItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  tre_Directory->insertTopLevelItem(0, rootItem);
  Bind(rootItem, root);
  SetNodePicture(rootItem, kPictureLibrary);
  rootItem->setToolTip(0, ReadOnlyReason(rootItem));

  if (!CheckLogin()) {
    FLoginFailed = true;  // nothing further of the library is read, and nothing is written
    return;
  }

  const TLibrarySettings settings = ReadLibrarySettings(*root);
  QStringList problems;
  for (const std::string& problem : settings.Problems) problems << QString::fromStdString(problem);
  ApplySettings(settings, problems);
  for (int i = 0; i < root->ChildCount(); ++i)
    if (root->GetChild(i)->Name == tagDirectory) AddTreeBranch(rootItem, root->GetChild(i));
  FScratch = QImage();
  // Nothing is selected until the user or the default journal selects it: without this the view
  // would make the first node current when it first gets the focus.
  if (!tre_Directory->currentItem()) tre_Directory->setCurrentIndex(QModelIndex());
  // Nodes added before all pictures were read get theirs now.
  RefreshNodePictures();
  if (!problems.isEmpty())
    FUi.ShowWarning(this, QString::fromUtf8(res::MsgSettingsProblems).arg(problems.join(QLatin1Char('\n'))));
}

void Tfrm_MainForm::ApplySettings(const TLibrarySettings& settings, QStringList& problems) {
  for (const TIconSetting& icon : settings.Icons) ReadIcon(icon, problems);
  for (int n = 1; n <= 4; ++n) {
    if (!settings.LabelDefined[n - 1]) continue;
    LabelBox(n)->setText(FromCp(settings.LabelCaptions[n - 1]));
    FLabelDefined[n - 1] = true;
  }
  ApplyGeometry(settings.Form);
  FConfirmDelete = settings.ConfirmDelete;
}

void Tfrm_MainForm::ReadIcon(const TIconSetting& icon, QStringList& problems) {
  if (!Undefined(icon.Path)) {
    QImage picture;
    if (!LoadPicture(picture, QString::fromStdString(NativePath(ResolvePath(icon.Path))))) {
      // A blank picture keeps the indexes of the later icons where the library expects them.
      problems << QString::fromUtf8(res::MsgPictureNotLoaded).arg(FromCp(icon.Path));
      picture = QImage(TImageList::kSize, TImageList::kSize, QImage::Format_ARGB32);
      picture.fill(Qt::transparent);
    }
    FScratch = picture;
    iml_TreeImages.Add(picture);
  }
  const QList<QToolButton*> buttons = {btn_Tool_01, btn_Tool_02, btn_Tool_03, btn_Tool_04};
  if (const int n = TLibrarySettings::ToolButtonOf(icon.Name))
    buttons[n - 1]->setIcon(FScratch.isNull() ? QIcon() : QIcon(QPixmap::fromImage(FScratch)));
}

void Tfrm_MainForm::ApplyGeometry(const TFormGeometry& form) {
  // The stored left and top are not used: the window opens centred (setVisible).
  if (form.Width) resize(*form.Width, height());  // the minimum size raises smaller values
  if (form.Height) resize(width(), *form.Height);
  if (form.TreeWidth) {
    // The splitter spans the window: give the work area the rest of the window's width.
    const int rest = std::max(kMinPaneWidth, width() - *form.TreeWidth - spt_Splitter->handleWidth());
    spt_Splitter->setSizes({*form.TreeWidth, rest});
  }
}

QTreeWidgetItem* Tfrm_MainForm::AddTreeBranch(QTreeWidgetItem* parent, TXMLNode* element) {
  QTreeWidgetItem* first = AddNode(parent, element, FromCp(element->GetAttribute(attrName)),
                                   element->Name == tagDay ? kPictureDay : kPictureCatalog);
  // Depth-first in document order with an explicit stack: the file decides the depth.
  struct TFrame {
    QTreeWidgetItem* Item;
    TXMLNode* Element;
    int Next;
  };
  std::vector<TFrame> stack{{first, element, 0}};
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next >= frame.Element->ChildCount()) {
      stack.pop_back();
      continue;
    }
    TXMLNode* child = frame.Element->GetChild(frame.Next++);
    QTreeWidgetItem* item = frame.Item;
    if (child->Name == tagDirectory) {
      QTreeWidgetItem* node = AddNode(item, child, FromCp(child->GetAttribute(attrName)), kPictureCatalog);
      stack.push_back({node, child, 0});
    } else if (child->Name == tagFile) {
      QTreeWidgetItem* node = AddNode(item, child, FromCp(child->GetAttribute(attrName)), kPictureJournal);
      if (child->GetAttribute(attrDefault) == litYes && !FRebuilding) {
        // Selecting runs the selection handler at once, which loads the journal.
        TDirectoryTree::ExpandAncestors(node);  // as deep as the view can lay out its rows
        tre_Directory->setCurrentItem(node);
        node->setExpanded(true);
      }
    } else if (child->Name == tagExperience) {
      AddNode(item, child, ExperienceCaption(child), kPictureExperience);
    }
  }
  return first;
}

void Tfrm_MainForm::RebuildChildren(QTreeWidgetItem* item) {
  TXMLNode* element = NodeOf(item);
  if (!element) return;
  const bool rebuilding = FRebuilding;
  FRebuilding = true;
  const auto restore = qScopeGuard([this, rebuilding] { FRebuilding = rebuilding; });
  // What was expanded below stays expanded, found again by its element.
  std::set<const TXMLNode*> expanded;
  for (std::vector<QTreeWidgetItem*> pending{item}; !pending.empty();) {
    QTreeWidgetItem* node = pending.back();
    pending.pop_back();
    if (node->isExpanded()) expanded.insert(NodeOf(node));
    for (int i = 0; i < node->childCount(); ++i) pending.push_back(node->child(i));
  }
  for (QTreeWidgetItem* node : item->takeChildren()) FreeBranch(node);
  if (element->Name == tagJournal) {
    AddJournalBranches(item, *element);
  } else if (element->Name == tagDay) {
    item->setData(0, kPendingRole, QVariant());
    for (const auto& child : element->Children)
      if (child->Name == tagExperience) {
        item->setData(0, kPendingRole, true);
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        break;
      }
  } else {
    for (TXMLNode* child : ShownChildren(*element)) {
      if (child->Name == tagDirectory) {
        AddTreeBranch(item, child);
      } else if (child->Name == tagFile) {
        AddNode(item, child, FromCp(child->GetAttribute(attrName)), kPictureJournal);
      } else if (child->Name == tagExperience) {
        AddNode(item, child, ExperienceCaption(child), kPictureExperience);
      }
    }
  }
  // Journal entries loaded before show their journal again; expansion as it was.
  for (std::vector<QTreeWidgetItem*> pending{item}; !pending.empty();) {
    QTreeWidgetItem* node = pending.back();
    pending.pop_back();
    TXMLNode* bound = NodeOf(node);
    if (node != item && bound && bound->Name == tagFile)
      for (const TXMLPair& pair : FPairs->Pairs)
        if (pair.First == bound) {
          BindJournal(node, bound, pair.Second);
          AddJournalBranches(node, *pair.Second);
          break;
        }
    if (expanded.count(NodeOf(node)) && TDirectoryTree::DepthOf(node) < TDirectoryTree::kMaxExpandedDepth) {
      BuildPendingNodes(node);
      node->setExpanded(true);
    }
    for (int i = 0; i < node->childCount(); ++i) pending.push_back(node->child(i));
  }
}

QTreeWidgetItem* Tfrm_MainForm::NewBranch(TXMLNode* element) {
  const bool rebuilding = FRebuilding;
  FRebuilding = true;
  const auto restore = qScopeGuard([this, rebuilding] { FRebuilding = rebuilding; });
  if (element->Name == tagDay) return AddPendingDay(element);
  if (element->Name == tagExperience) return AddNode(nullptr, element, ExperienceCaption(element), kPictureExperience);
  if (element->Name != tagFile) return AddTreeBranch(nullptr, element);
  QTreeWidgetItem* item = AddNode(nullptr, element, FromCp(element->GetAttribute(attrName)), kPictureJournal);
  for (const TXMLPair& pair : FPairs->Pairs)
    if (pair.First == element) {
      BindJournal(item, element, pair.Second);
      AddJournalBranches(item, *pair.Second);
      break;
    }
  return item;
}

bool Tfrm_MainForm::FollowChildren(QTreeWidgetItem* item) {
  TXMLNode* element = NodeOf(item);
  if (!element) return false;
  if (item->data(0, kPendingRole).toBool() || (element->Name == tagDay && item->childCount() == 0)) {
    RebuildChildren(item);  // a day without dream nodes: only its arrow follows
    return true;
  }
  const std::vector<TXMLNode*> wanted = element->Name == tagDay || element->Name == tagJournal
                                            ? [&] {
                                                std::vector<TXMLNode*> all;
                                                for (const auto& child : element->Children)
                                                  if (element->Name == tagJournal || child->Name == tagExperience)
                                                    all.push_back(child.get());
                                                return all;
                                              }()
                                            : ShownChildren(*element);
  std::vector<TXMLNode*> shown;
  for (int i = 0; i < item->childCount(); ++i) shown.push_back(EntryOf(item->child(i)));
  const std::size_t n = shown.size(), m = wanted.size();
  std::size_t first = 0;
  while (first < std::min(n, m) && shown[first] == wanted[first]) ++first;
  if (first == n && n == m) return true;
  if (m == n + 1 && std::equal(shown.begin() + first, shown.end(), wanted.begin() + first + 1)) {
    item->insertChild(static_cast<int>(first), NewBranch(wanted[first]));  // one added
    return true;
  }
  if (n == m + 1 && std::equal(wanted.begin() + first, wanted.end(), shown.begin() + first + 1)) {
    FreeBranch(item->takeChild(static_cast<int>(first)));  // one removed
    return true;
  }
  if (n == m) {  // two exchanged
    std::size_t last = n - 1;
    while (last > first && shown[last] == wanted[last]) --last;
    if (shown[first] == wanted[last] && shown[last] == wanted[first] &&
        std::equal(shown.begin() + first + 1, shown.begin() + last, wanted.begin() + first + 1)) {
      // A node taken out of the view forgets that it was expanded.
      std::vector<QTreeWidgetItem*> expanded;
      for (std::vector<QTreeWidgetItem*> pending{item->child(static_cast<int>(first)), item->child(static_cast<int>(last))};
           !pending.empty();) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        if (node->isExpanded()) expanded.push_back(node);
        for (int i = 0; i < node->childCount(); ++i) pending.push_back(node->child(i));
      }
      QTreeWidgetItem* later = item->takeChild(static_cast<int>(last));
      QTreeWidgetItem* earlier = item->takeChild(static_cast<int>(first));
      item->insertChild(static_cast<int>(first), later);
      item->insertChild(static_cast<int>(last), earlier);
      for (QTreeWidgetItem* node : expanded) node->setExpanded(true);
      return true;
    }
  }
  return false;
}
