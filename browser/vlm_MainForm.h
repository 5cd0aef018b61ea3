#pragma once
// The main window: tool bar, directory tree, work area; start-up and shut-down of the program.
// The implementation is split by concern:
//   vlm_MainForm.cpp            controls, anchors, FormResize
//   vlm_MainForm_Life.cpp       FormCreate, shut-down, geometry, closing with failure handling
//   vlm_MainForm_Tree.cpp       BuildDirectoryTree, AddTreeBranch, tree pictures and binding
//   vlm_MainForm_Login.cpp      the login check and btn_AuthorizationClick
//   vlm_MainForm_Selection.cpp  tre_DirectoryChanging, journal loading, the default journal
//   vlm_MainForm_Statistics.cpp the statistics of a journal or a day in the work area
//   vlm_MainForm_Actions.cpp    creating, moving, deleting and saving
//   vlm_MainForm_Calendar.cpp   the calendar below the tree
// The work area with its editors is a panel of its own (vlm_EditorPanel.h).
#include <QDate>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vlm_Anchors.h"
#include "vlm_AutoSave.h"
#include "vlm_Backups.h"
#include "vlm_EditorPanel.h"
#include "vlm_JournalHash.h"
#include "vlm_Library.h"
#include "vlm_LibraryLock.h"
#include "vlm_Settings.h"
#include "vlm_UserInteraction.h"
#include "vlm_XMLPairList.h"
#include "xml_mainUnit.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TBevel;
class TCalendarPanel;
class TFileWatch;
class TClickImage;
class TSearchPanel;
class TStatisticsView;
class TVLGraph;

// The tree's pictures: 16 by 16, in the order of the library's `icon` elements.
class TImageList {
public:
  static constexpr int kSize = 16;
  void Add(const QImage& picture);
  int Count() const { return static_cast<int>(FPictures.size()); }
  QPixmap At(int index) const;  // a null pixmap outside the list
  // The picture `index` while not selected, picture 0 while selected.
  QIcon NodeIcon(int index) const;

private:
  std::vector<QPixmap> FPictures;
  mutable std::vector<QIcon> FIcons;  // NodeIcon by index, built once per list content
};

class Tfrm_MainForm : public QWidget {
  Q_OBJECT
public:
  // `appDir`: the executable's directory, ending in "/" (injectable for tests); the library is
  // kept there too.
  Tfrm_MainForm(TUserInteraction& ui, const QString& appDir, QWidget* parent = nullptr);
  // An installed program: its own files in `appDir`, the library in `libraryDir`.
  Tfrm_MainForm(TUserInteraction& ui, const QString& appDir, const QString& libraryDir, QWidget* parent = nullptr);
  ~Tfrm_MainForm() override;

  // True when the login check failed: the program ends without writing anything.
  bool LoginFailed() const { return FLoginFailed; }
  // True when another running program has this library open: the program ends at once and
  // writes nothing.
  bool AlreadyOpen() const { return FAlreadyOpen; }
  // Why the whole library is only viewed (no lock could be taken, so another copy may write it):
  // nothing is written then. Empty when the library may be written.
  const QString& ViewOnly() const { return FViewOnly; }
  // The program is closing for a signal (the session ends, the terminal was closed, Ctrl+C): from
  // now on nothing is asked and no notice waits. The closing saves once; files that cannot be
  // written are kept elsewhere (vlm_UnsavedCopies.h) and ExitStatus() becomes 1.
  void ClosingForSignal() { FClosingForSignal = true; }
  // The program's exit status: 0, or 1 when a closing for a signal could not write every file.
  int ExitStatus() const { return FExitStatus; }

  // Handlers of the window and its controls.
  void FormCreate();
  // The shut-down writing: the `form` element, the library, then every journal. Returns the
  // files that could not be written (every other file is still written) and the backups made.
  TSaveReport FormDestroy();
  // Runs after the work area's controls followed a change of its size (the window's or the
  // splitter's), including the first layout.
  void FormResize();
  void btn_Tool_05Click();
  void btn_Tool_06Click();
  void img_BannerClick();
  void btn_AuthorizationClick();
  // The tool bar's actions on the documents.
  void btn_Tool_01Click();
  void btn_Tool_02Click();
  void btn_Tool_03Click();
  void btn_Tool_04Click();
  void btn_MoveUpClick();
  void btn_MoveDownClick();
  void btn_DeleteClick();
  void btn_SaveClick();
  void CreateGraphs();
  void BuildDirectoryTree();
  QTreeWidgetItem* AddTreeBranch(QTreeWidgetItem* parent, TXMLNode* element);
  // The nodes of a day whose dreams were not added yet (it shows the expand arrow); nothing for
  // any other node. Runs when the day is expanded or selected, and before anything is added to it.
  void BuildPendingNodes(QTreeWidgetItem* node);
  // Every node not added yet, in the whole tree (a search for a node by its caption needs them).
  void BuildAllPendingNodes();
  void tre_DirectoryChanging(QTreeWidgetItem* node);
  // The statistics of the journal of `node`, or of the day being edited, drawn into the work area.
  void ShowJournalStatistics(QTreeWidgetItem* node);
  void ShowDayStatistics();
  void UpdateNextNumber(TXMLNode* journalRoot);
  static int CountExperiences(const TXMLNode* element);

  // Writes the library and then every open journal by the rules for files that were not read
  // whole (vlm_DocumentState.h); every file that can be written is. Returns the files that could
  // not be written and the backups made; tells the user nothing.
  TSaveReport SaveFiles();
  // SaveFiles, then tells the user about the backups made and the files not written (the save
  // button's whole work). True when every file that may be written was written.
  bool SaveAndReport();
  // One notice naming the backups the save made, when it made any.
  void ReportBackups(const TSaveReport& report);
  // Why the document behind `node` (a journal's node, day or experience, or a library node) is
  // only viewed, for the user; empty when it may be changed. Editors and creation follow it.
  QString ReadOnlyReason(const QTreeWidgetItem* node) const;
  // Disables creation (and moving and deleting inside the document) for a read-only node's
  // document and shows the reason in the work area; hides it otherwise.
  void ShowReadOnlyState(const QTreeWidgetItem* node);
  // A message of `pattern` (UTF-8, "%1" for the list) listing the failed files.
  static QString FailureText(const char* pattern, const std::vector<TJournalSaveFailure>& failures);
  // Runs a handler inside the error boundary.
  bool Run(const std::function<void()>& handler);

  // The element a tree node stands for in its parent's element (for a loaded journal its own
  // library entry, also when another entry shares the journal), or none when out of step.
  TXMLNode* LibraryEntryOfNode(const QTreeWidgetItem* node) const;
  // Tree binding and pictures.
  static TXMLNode* NodeOf(const QTreeWidgetItem* item);
  static void Bind(QTreeWidgetItem* item, TXMLNode* element);
  // A loaded journal's node: bound to the journal's root, and standing for its library entry.
  static void BindJournal(QTreeWidgetItem* item, TXMLNode* entry, TXMLNode* root);
  // The element a node stands for among its parent's children: a loaded journal's entry, else
  // the element it is bound to.
  static TXMLNode* EntryOf(const QTreeWidgetItem* item);
  static int PictureOf(const QTreeWidgetItem* item);
  void SetNodePicture(QTreeWidgetItem* item, int index);
  void RefreshNodePictures();
  // A tree node for `element` as the last child of `parent`, with caption and picture.
  QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, TXMLNode* element, const QString& caption, int picture);
  static QString ExperienceCaption(const TXMLNode* experience);
  // Frees every node of the tree from the deepest up, without recursion.
  static void TearDownTree(QTreeWidget* tree);
  // The same for one branch taken out of the tree.
  static void FreeBranch(QTreeWidgetItem* top);
  // The nodes below `item` built again from its element, expansion kept (after an undo or redo).
  void RebuildChildren(QTreeWidgetItem* item);
  // The nodes below `item` follow its element's children when one child was added, removed, or
  // two were exchanged; false (nothing changed) for anything else.
  bool FollowChildren(QTreeWidgetItem* item);
  // A free node for `element` with its branch (a day's dreams pending, a loaded journal's days).
  QTreeWidgetItem* NewBranch(TXMLNode* element);
  // Takes back (or does again) the last step of the library's history; the tree follows and the
  // node where it happened is selected.
  void TakeStep(bool redo);
  // The captions of every node that shows `element` (or, for a journal entry, its journal).
  void RefreshCaptions(const TXMLNode* element);
  // A path from the library resolved for use (current directory, FLibraryDir, then FAppDir).
  std::string ResolvePath(const std::string& cp1251Path) const;
  // FAppDir as a document path (Windows-1251 bytes).
  std::string AppDirCp() const;

  static constexpr int kDesignWidth = 663;
  static constexpr int kDesignHeight = 480;
  static constexpr int kTreeWidth = 200;
  static constexpr int kMinPaneWidth = 200;
  static constexpr int kToolsHeight = 70;
  static constexpr int kDesignWorkWidth = 452;
  static constexpr int kDesignWorkHeight = 383;
  static constexpr const char* kBannerPath = ":/ui/banner.bmp";

  // State shared by the browser.
  bool FConfirmDelete = true;
  int FNextNumber = 0;
  QString FAppDir;  // native, ending in "/": the program's own files (empty.bmp, starter pictures)
  QString FLibraryDir;  // native, ending in "/": dreams.ini, and where new files land; FAppDir when portable
  // The documents belong to the library core; these name its parts for the window's code.
  TLibrary& Library() { return *FCore; }
  TXMLParser* FLibrary = nullptr;
  TJournalHash* FJournals = nullptr;
  QTreeWidgetItem* FCurrentNode = nullptr;
  TXMLPairList* FPairs = nullptr;
  std::unique_ptr<TVLGraph> FGraph;
  std::unique_ptr<TVLGraph> FQualityGraph;
  std::unique_ptr<TStatisticsView> FStatistics;  // draws the painters' charts into the work area
  bool FLabelDefined[kLabelCount] = {};  // read by the journal statistics
  const TDocumentState& LibraryState() const { return FCore->State(); }  // how dreams.ini was read

  // Tool bar.
  QWidget* pnl_Tools = nullptr;
  QToolButton* btn_Authorization = nullptr;
  QToolButton* btn_Save = nullptr;
  QToolButton* btn_Tool_01 = nullptr;
  QToolButton* btn_Tool_02 = nullptr;
  QToolButton* btn_Tool_03 = nullptr;
  QToolButton* btn_Tool_04 = nullptr;
  QToolButton* btn_Tool_05 = nullptr;
  QToolButton* btn_Tool_06 = nullptr;
  QToolButton* btn_MoveUp = nullptr;
  QToolButton* btn_MoveDown = nullptr;
  QToolButton* btn_Delete = nullptr;
  QToolButton* btn_Undo = nullptr;
  QToolButton* btn_Redo = nullptr;
  TBevel* bvl_Tool = nullptr;
  TClickImage* img_Banner = nullptr;
  TAnchorLayout* FToolsLayout = nullptr;

  // Tree and splitter.
  QSplitter* spt_Splitter = nullptr;
  QTreeWidget* tre_Directory = nullptr;  // a TDirectoryTree (vlm_Widgets.h)
  TImageList iml_TreeImages;

  // Work area: the editors and the chart image.
  TEditorPanel* pnl_WorkArea = nullptr;
  QLabel* lbl_ReadOnlyReason = nullptr;  // why the selected node's document is only viewed
  QCheckBox* LabelBox(int n) const;  // box_Label1 .. box_Label4 for n = 1..4

  // Searching (vlm_MainForm_Search.cpp): the panel below the tree, shown by Ctrl+F.
  QSplitter* spt_Left = nullptr;  // the tree above, the search panel below
  TSearchPanel* pnl_Search = nullptr;
  void CreateSearchPanel();
  // Selects a dream found in the journal of library entry `entry` (holder: its day) and shows it.
  void ShowSearchResult(TXMLNode* entry, const TXMLNode* holder, const TXMLNode* experience);
  // The calendar (vlm_MainForm_Calendar.cpp): below the tree, shown by its tool button; a month
  // of the selected journal, or of every journal below the selected catalog or library.
  QToolButton* btn_Calendar = nullptr;
  TCalendarPanel* pnl_Calendar = nullptr;
  void CreateCalendarPanel();
  // Fills the calendar after the events under way (a selection, a rename) were handled.
  void ScheduleCalendar();
  void RefreshCalendar();
  // Selects the first night of the calendar's journals dated `date`, or (for an invalid date) the
  // `undatedRow`-th night whose name is no date, as a click in the tree would.
  void SelectNight(QDate date, int undatedRow);
  // Saving by itself, dated backups, the notice after a crash (vlm_MainForm_Safety.cpp): started at
  // the end of start-up, finished after the last save (waits briefly for backups under way).
  void StartSafety();
  void FinishSafety();
  TAutoSave* AutoSave() const { return FAutoSave; }
  TBackupKeeper* Backups() const { return FBackups.get(); }

  // Bringing back a dated backup of the selected journal or of the library file
  // (vlm_MainForm_Restore.cpp): the tree's context menu and Ctrl+R.
  void ConnectRestore();
  void RestoreFromBackup();
  void RestoreLibraryFile(TXMLParser& restored, const QString& shown, const QString& when);

  // The first showing places the window centred on the screen.
  void setVisible(bool visible) override;

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateControls();
  void CreateToolBar();
  void CreateReadOnlyNotice();
  void ConnectHandlers();
  // Start-up steps.
  void LoadLibrary();
  // Takes the library's lock; false when another copy has the library open.
  bool LockLibrary();
  // After a closing for a signal failed to write: keeps the documents not written elsewhere and
  // names them on the standard error output. `saved`: the save ran to its end (else all are kept).
  void KeepUnsaved(const TSaveReport& report, bool saved);
  // The backups and failures of a closing for a signal, and `kept` (where the unsaved documents
  // went), on the standard error output: no notice may wait then.
  void ReportToStandardError(const TSaveReport& report, const QString& kept);
  bool CheckLogin();
  void ApplySettings(const TLibrarySettings& settings, QStringList& problems);
  void ReadIcon(const TIconSetting& icon, QStringList& problems);
  void ApplyGeometry(const TFormGeometry& form);
  void LoadJournal(QTreeWidgetItem* node, TXMLNode* fileElement);
  // A node for each child of a journal's root, in order, below the journal's `node`. A day holding
  // only dreams gets their nodes when it is first expanded or otherwise needed (BuildPendingNodes).
  void AddJournalBranches(QTreeWidgetItem* node, const TXMLNode& root);
  // A free node for a day holding only dreams (and its own comment), its dreams still pending.
  QTreeWidgetItem* AddPendingDay(TXMLNode* day);
  // The document that holds the element of `node`: the journal above a journal's root, day or
  // dream (for the root itself: its journal), the library for the rest; none when out of step.
  TXMLParser* DocumentOfNode(const QTreeWidgetItem* node) const;
  // True when the element of `node` is in a document that is never written (not readable at all).
  bool InUnwrittenDocument(const QTreeWidgetItem* node) const;
  void MarkDefaultJournal(TXMLNode* fileElement);
  void SetCreationButtons(bool tool1, bool tool2, bool tool3, bool tool4);
  // Actions on the documents.
  void ConnectActions();
  void ConnectUndo();
  void ConnectKeys();
  // A typed text as document bytes; characters without a Windows-1251 byte are left out, said once.
  std::string DocumentText(const QString& text);
  bool MayChangeBelow(const QTreeWidgetItem* parent);
  // Adds a node for a new element below the current node, expands it and selects the new node.
  void AttachNew(TXMLNode* element, const QString& caption, int picture);
  // The element `node` stands for in its parent's element; raises when the tree is out of step.
  TXMLNode* EntryOfNode(const QTreeWidgetItem* node) const;
  void MoveCurrentBy(int step);
  // After a change below `changedBelow`: the other tree entries of the same journal follow it.
  void ShowJournalChangeElsewhere(QTreeWidgetItem* changedBelow);

  std::unique_ptr<TLibrary> FCore = std::make_unique<TLibrary>();
  bool FRebuilding = false;  // nodes are built again: the default journal is not selected on the way
  // While a step is taken back or done again: what it changed, for the tree to follow.
  bool FStepping = false;
  std::vector<TXMLNode*> FSteppedEntries;
  std::vector<std::pair<TXMLNode*, TXMLNode*>> FSteppedParents;  // parent, child added or removed
  TUserInteraction& FUi;
  bool FLoginFailed = false;
  bool FAlreadyOpen = false;
  QString FViewOnly;
  bool FClosing = false;            // closeEvent is under way (it may wait for the user)
  bool FClosingForSignal = false;
  int FExitStatus = 0;
  TLibraryLock FLock;  // held from start-up until every file has been written
  bool FCentred = false;       // the first showing centres the window
  bool FCloseAccepted = false;  // the shut-down writing ran and the user let the window close
  QImage FScratch;  // the last icon picture read while building the tree
  std::vector<const TXMLParser*> FLoading;  // journals whose branches are being added
  // Saving by itself and dated backups.
  void ReportBackupProblems();
  // What the last run, which ended without closing, had written: each file's last write.
  void ReportLastRun();
  // Files another program changes while they are open (vlm_MainForm_Watch.cpp).
  void StartWatching();
  void WatchOpenFiles();
  // Around each of the program's own writes (the library core's hook, then after its save).
  void BeforeOwnWrite(const std::string& file);
  void AfterOwnWrites(const TSaveReport& report);
  void FileChangedByOthers(const QString& path);
  void ReadJournalAgain(TXMLParser& journal);
  // The nodes that showed a journal's `old` root show `root`, the selection found again by captions.
  void FollowJournalRoot(const TXMLNode* old, TXMLNode* root);
  TFileWatch* FWatch = nullptr;  // a child of the window; none while nothing may be written
  std::vector<std::string> FOwnWrites;             // files the save under way replaces
  std::vector<TSaveReport::TBackup> FConflicts;    // their versions kept by the save under way
  bool FAskingAboutFile = false;
  TAutoSave* FAutoSave = nullptr;  // a child of the window
  std::unique_ptr<TBackupKeeper> FBackups;
  // The calendar's node: a journal, catalog or the library (compared only, it may be gone).
  QTreeWidgetItem* CalendarScope();
  std::vector<QTreeWidgetItem*> NightsOfCalendar(QTreeWidgetItem* scope, bool load);
  QTreeWidgetItem* FCalendarScope = nullptr;
  bool FCalendarPending = false;
};
