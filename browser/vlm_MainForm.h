#pragma once
// The main window: tool bar, directory tree, work area; start-up and shut-down of the program.
// The implementation is split by concern:
//   vlm_MainForm.cpp            controls, anchors, FormResize
//   vlm_MainForm_Life.cpp       FormCreate, shut-down, geometry, closing with failure handling
//   vlm_MainForm_Tree.cpp       BuildDirectoryTree, the default journal, what a tree row stands for
//                               (the rows come from the model in vlm_LibraryModel.h)
//   vlm_MainForm_Login.cpp      the login check and btn_AuthorizationClick
//   vlm_MainForm_Encryption.cpp the journals sealed with the password: unlocking, changing the key
//   vlm_MainForm_Selection.cpp  tre_DirectoryChanging, journal loading, the default journal
//   vlm_MainForm_Statistics.cpp the statistics of a journal or a day in the work area
//   vlm_MainForm_Actions.cpp    creating, moving, deleting and saving
//   vlm_MainForm_Calendar.cpp   the calendar below the tree
//   vlm_MainForm_Export.cpp     exporting and printing the selection
// The work area with its editors is a panel of its own (vlm_EditorPanel.h).
#include <QDate>
#include <QIcon>
#include <QImage>
#include <QModelIndex>
#include <QPersistentModelIndex>
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

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QSplitter;
class QToolButton;
class TBevel;
class TDirectoryTree;
class TLibraryModel;
class TCalendarPanel;
class TFileWatch;
class TInsightsView;
class TJournalSealing;
class TClickImage;
class TSearchPanel;
class TStatisticsView;
class TVLGraph;
struct TExportOptions;

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
  // The default journals are still being read, after the window showed; DefaultJournalsShown
  // follows when they are read and selected (or left for the user, who chose a row meanwhile).
  bool DefaultJournalsPending() const { return FDefaultJournalsPending; }

signals:
  void DefaultJournalsShown();

private:
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
  void tre_DirectoryChanging(const QModelIndex& node);
  // The statistics of the journal of `node`, or of the day being edited, drawn into the work area.
  void ShowJournalStatistics(const QModelIndex& node);
  void ShowDayStatistics();
  void UpdateNextNumber(TXMLNode* journalRoot);

  // Writes the library and then every open journal by the rules for files that were not read
  // whole (vlm_DocumentState.h); every file that can be written is. Returns the files that could
  // not be written and the backups made; tells the user nothing.
  TSaveReport SaveFiles();
  // One notice naming the backups the save made, when it made any.
  void ReportBackups(const TSaveReport& report);
  // The files a save would write now (changed, and not refused by the rules), as the user knows
  // them; after the save, the notice line names them with the time (vlm_MainForm_Safety.cpp).
  QStringList FilesToWrite() const;
  void ShowSaved(const QStringList& files);
public:
  // SaveFiles, then tells the user about the backups made and the files not written (the save
  // button's whole work). True when every file that may be written was written.
  bool SaveAndReport();
  // Why the document behind `node` (a journal's node, day or experience, or a library node) is
  // only viewed, for the user; empty when it may be changed. Editors and creation follow it.
  QString ReadOnlyReason(const QModelIndex& node) const;
private:
  // Disables creation (and moving and deleting inside the document) for a read-only node's
  // document and shows the reason in the work area; hides it otherwise.
  void ShowReadOnlyState(const QModelIndex& node);
  // A message of `pattern` (UTF-8, "%1" for the list) listing the failed files.
  static QString FailureText(const char* pattern, const std::vector<TJournalSaveFailure>& failures);
public:
  // Runs a handler inside the error boundary.
  bool Run(const std::function<void()>& handler);

private:
  // The element a tree node stands for in its parent's element (for a loaded journal its own
  // library entry, also when another entry shares the journal), or none when out of step.
  TXMLNode* LibraryEntryOfNode(const QModelIndex& node) const;
public:
  // The element of a tree row (a loaded journal's root for its entry's row), and the element the
  // row stands for among its parent's children (vlm_LibraryModel.h).
  static TXMLNode* NodeOf(const QModelIndex& index);
  static TXMLNode* EntryOf(const QModelIndex& index);
  static int PictureOf(const QModelIndex& index);
  // The dreams in the subtree of `element`.
  static int CountExperiences(const TXMLNode* element);
  // Takes back (or does again) the last step of the library's history; the tree follows through
  // its model and the row where it happened is selected.
  void TakeStep(bool redo);
private:
  // Selects `node` (expanding its ancestors) and shows it in the editors without the selection
  // handler's side effects on the default journal (a step, a file read again).
  void SelectQuietly(const QModelIndex& node);
  // A path from the library resolved for use (current directory, FLibraryDir, then FAppDir).
  std::string ResolvePath(const std::string& cp1251Path) const;
  // FAppDir as a document path (Windows-1251 bytes).
  std::string AppDirCp() const;
  // A file chosen in a file dialog (absolute, Windows-1251) as the library stores it: relative to
  // the library's folder when it lies inside (vlm_Paths.h PathInLibrary), else as it is.
  std::string StoredPath(const std::string& cp1251File) const;

public:
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
  // The documents belong to the library core.
  TLibrary& Library() { return *FCore; }
  QPersistentModelIndex FCurrentNode;
  std::unique_ptr<TVLGraph> FGraph;
  std::unique_ptr<TVLGraph> FQualityGraph;
  std::unique_ptr<TStatisticsView> FStatistics;  // draws the painters' charts into the work area
  bool FLabelDefined[kLabelCount] = {};  // read by the journal statistics

private:
  QString FAppDir;  // native, ending in "/": the program's own files (empty.bmp, starter pictures)
  QString FLibraryDir;  // native, ending in "/": dreams.ini, and where new files land; FAppDir when portable
  // The library core's parts, named for the window's code.
  TXMLParser* FLibrary = nullptr;
  TJournalHash* FJournals = nullptr;
  TXMLPairList* FPairs = nullptr;
  const TDocumentState& LibraryState() const { return FCore->State(); }  // how dreams.ini was read
  TAnchorLayout* FToolsLayout = nullptr;
  TLibraryModel* FTreeModel = nullptr;  // the tree's model over the library core

public:
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

  // Tree and splitter.
  QSplitter* spt_Splitter = nullptr;
  TDirectoryTree* tre_Directory = nullptr;  // a QTreeView (vlm_Widgets.h)
  TImageList iml_TreeImages;

  // Work area: the editors and the chart image.
  TEditorPanel* pnl_WorkArea = nullptr;
  QLabel* lbl_ReadOnlyReason = nullptr;  // why the selected node's document is only viewed

  // The search panel below the tree (Ctrl+F) and the calendar below it (its tool button).
  TSearchPanel* pnl_Search = nullptr;
  QToolButton* btn_Calendar = nullptr;
  TCalendarPanel* pnl_Calendar = nullptr;

  // The insights view (vlm_MainForm_Insights.cpp, Ctrl+I): made when first opened, a window of
  // its own following the tree's selection.
  QToolButton* btn_Insights = nullptr;
  TInsightsView* Insights() const { return FInsights; }
  void OpenInsights();

  // Saving by itself (vlm_MainForm_Safety.cpp) and the dated backups it keeps.
  TAutoSave* AutoSave() const { return FAutoSave; }
  TBackupKeeper* Backups() const { return FBackups.get(); }
  // Bringing back a dated backup of the selected journal or of the library file
  // (vlm_MainForm_Restore.cpp): the tree's context menu and Ctrl+R.
  void RestoreFromBackup();

  // The first showing places the window centred on the screen.
  void setVisible(bool visible) override;

private:
  // Searching (vlm_MainForm_Search.cpp): the panel below the tree, shown by Ctrl+F.
  QSplitter* spt_Left = nullptr;  // the tree above, the search panel below
  void CreateSearchPanel();
  // Selects a dream found in the journal of library entry `entry` (holder: its day) and shows it.
  void ShowSearchResult(TXMLNode* entry, const TXMLNode* holder, const TXMLNode* experience);
  // The left side is as wide as the search panel was last made (or wide enough to read a result)
  // while the panel shows, and as wide as the tree was when it goes.
  void WidenForSearch();
  void NarrowAfterSearch();
  // The tree's own width, which closing keeps, whether the search panel shows or not.
  int TreeWidth() const;
  class TMatchHighlight* FMatchHighlight = nullptr;  // a child of the window
  int FTreeOwnWidth = 0;  // the tree's width before the search panel widened the left side
  int FSearchWidth = 0;   // the left side's width while the panel shows; 0 until known
  // The calendar (vlm_MainForm_Calendar.cpp): below the tree, shown by its tool button; a month
  // of the selected journal, or of every journal below the selected catalog or library.
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
  // Exporting and printing (vlm_MainForm_Export.cpp): the selected entry (Ctrl+E, Ctrl+P, the
  // tree's context menu), or the search's results when their list has the focus.
  struct TSelectedEntry {
    TXMLNode* Element = nullptr;    // the element of the current node
    TXMLParser* Document = nullptr;  // the document holding it
  };
  TSelectedEntry SelectedEntry() const;
  void ExportSelection();
  void PrintSelection();
  QAction* act_Export = nullptr;
  QAction* act_Print = nullptr;
  QAction* act_Restore = nullptr;
  // An export or print is under way: its documents are not read again meanwhile.
  bool FExporting = false;
  void ConnectRestore();

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
  // Encrypted journals (vlm_MainForm_Encryption.cpp). At start, before any journal is read: the
  // form journals take (plain until the login unlocks the key), and a change of key that a kill
  // interrupted finished or undone.
  void StartSealing();
  bool IsEncrypted() const;
  // The login to an encrypted library: the key unlocked by the password (or the recovery key
  // typed in its place) once; false, said, when neither opens it.
  bool UnlockLibrary(const QString& password, bool nameRight);
  // Encrypts the journals, changes their key or writes them plain again, as the user chose in the
  // authorization dialog, after asking; true when the change was made.
  bool ChangeEncryption(const TLoginResult& typed, const std::string& scrambledName);
  bool StoreKeyRecord(const std::string& keyRecord, const std::string& scrambledName, std::string& error);
  std::vector<std::string> JournalFiles() const;
  void RemoveBackupsOf(const std::vector<std::string>& journals);
  std::shared_ptr<const TJournalSealing> FSealing;  // the form journals take on disk
  void ApplySettings(const TLibrarySettings& settings, QStringList& problems);
  void ReadIcon(const TIconSetting& icon, QStringList& problems);
  // The window's geometry (vlm_MainForm_Geometry.cpp): applied at start-up, stored at exit.
  void ApplyGeometry(const TFormGeometry& form);
  void StoreGeometry();
  // Opens the journal of a library entry; the entry's rows show its days.
  void LoadJournal(TXMLNode* fileElement);
  // For a walk over the tree: opens the journal of a library entry whose file is there (a missing
  // file would start an empty journal that counts as changed); true when `row` shows the journal
  // now, so that the walk visits it again.
  bool OpenedJournalOfRow(TXMLNode* element, const QModelIndex& row);
  // The tool tip of a row: why the library or a journal is only viewed.
  QString ToolTipOf(const QModelIndex& node) const;
  // The journal entries marked as default below `top` selected and expanded, as at start-up (and
  // in a journal when it is first read).
  void SelectDefaultJournals(const QModelIndex& top);
  // At start-up: the default journals' files read on threads of their own, selected once read.
  void ReadDefaultJournals(const QModelIndex& top);
  void DefaultJournalsRead();
  std::vector<const TXMLNode*> DefaultEntries(const QModelIndex& top) const;
  bool FDefaultJournalsPending = false;
  // The document that holds the element of `node`: the journal above a journal's root, day or
  // dream (for the root itself: its journal), the library for the rest; none when out of step.
  TXMLParser* DocumentOfNode(const QModelIndex& node) const;
  // True when the element of `node` is in a document that is never written (not readable at all).
  bool InUnwrittenDocument(const QModelIndex& node) const;
  void MarkDefaultJournal(TXMLNode* fileElement);
  // The one place that enables the tool buttons for a row: creation by its kind, moving by its
  // position, none of either where its document is only viewed.
  void EnableButtonsFor(const QModelIndex& node);
  // Actions on the documents.
  void ConnectActions();
  void ConnectUndo();
  void ConnectKeys();
  void ShowWhereTheFocusIs();
  // The editor panel's edits applied to the selected entry (vlm_MainForm_Edits.cpp).
  void ConnectEditorPanel();
  struct TEditTarget {
    TXMLParser* Document = nullptr;
    TXMLNode* Element = nullptr;
    explicit operator bool() const { return Document && Element; }
  };
  // Where an edit of the selected entry goes; for a journal's name (`ofName`) its library entry.
  TEditTarget EditTarget(bool ofName = false) const;
  // The library entry of a journal's root row: its own, else the first that shows the journal.
  TXMLNode* JournalEntryOf(const QModelIndex& root) const;
  void CreateExportActions();
  // The tree's context menu: the row under the mouse is selected, then its actions are offered.
  void ConnectTreeMenu();
  struct TExportJob;
  // What the selection exports; none when nothing exportable is selected.
  std::unique_ptr<TExportJob> ExportJobOfSelection();
  TExportOptions ExportOptions(TProgressWindow& progress);
  // A typed text as document bytes; characters without a Windows-1251 byte are left out, said once.
  std::string DocumentText(const QString& text);
  bool MayChangeBelow(const QModelIndex& parent);
  // Selects the row of a new element below the current row (the model added it), expanded.
  void AttachNew(TXMLNode* element);
  // The element `node` stands for in its parent's element; raises when the tree is out of step.
  TXMLNode* EntryOfNode(const QModelIndex& node) const;
  void MoveCurrentBy(int step);

  std::unique_ptr<TLibrary> FCore = std::make_unique<TLibrary>();
  bool FQuietTree = false;  // the model changes rows under way: the selection handler waits
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
  bool FOpenMaximized = false;  // the window was closed maximised: the first showing maximises it
  bool FCloseAccepted = false;  // the shut-down writing ran and the user let the window close
  QImage FScratch;  // the last icon picture read while building the tree
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
  // The file of `document` is gone: written again at its name (`writeAgain`), or no longer, its
  // unsaved changes kept beside it and the user told where.
  void RemovedByOthers(TXMLParser& document, bool writeAgain);
  // Tells where versions kept aside went: a message, or the standard error output when closing
  // for a signal.
  void TellKeptAside(const QStringList& lines);
  void ReadJournalAgain(TXMLParser& journal);
  void ReadLibraryAgain();
  // Runs `replace`, which gives a journal or the library a new root in place of `old` (read again,
  // restored); the selection below the row of `old` is found again by its captions. Returns what
  // `replace` returned.
  bool ReplaceRoot(const TXMLNode* old, const std::function<bool()>& replace);
  // The nodes that showed a journal's `old` root show `root`, the selection found again by captions.
  TFileWatch* FWatch = nullptr;  // a child of the window; none while nothing may be written
  std::vector<std::string> FOwnWrites;             // files the save under way replaces
  std::vector<TSaveReport::TBackup> FConflicts;    // their versions kept by the save under way
  bool FAskingAboutFile = false;
  bool FRestoring = false;  // a restore exchanges a document and saves it: no save by itself meanwhile
  TAutoSave* FAutoSave = nullptr;  // a child of the window
  std::unique_ptr<TBackupKeeper> FBackups;
  // The calendar's node: a journal, catalog or the library (compared only, it may be gone).
  QModelIndex CalendarScope();
  std::vector<QModelIndex> NightsOfCalendar(const QModelIndex& scope, bool load);
  QPersistentModelIndex FCalendarScope;
  bool FCalendarPending = false;
  void CreateInsights();
  void ScheduleInsightsScope();
  void FollowInsightsScope();
  // Opens the search panel with `word` typed in, as Ctrl+F and typing would.
  void SearchForWord(const QString& word);
  TInsightsView* FInsights = nullptr;  // a child window
  QPersistentModelIndex FInsightsRow;  // the tree's row the view shows
  bool FInsightsPending = false;
};
