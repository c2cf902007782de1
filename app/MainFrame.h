#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "Document.h"
#include "RecentFileList.h"
#include "RecordId.h"
#include "ReportData.h"

class ContextMenus;
class MainView;
class QAction;
class QStackedWidget;

namespace reports {
class PrintController;
}
namespace syncui {
class CardExtrasPanel;
class SyncCommands;
}  // namespace syncui
class QMenu;
class QToolBar;

// The main window of tidemark: menus, toolbars, status bar and the main view. Each command goes
// one way from its action: the file, view, help and printing commands are carried out here, the
// record commands through book::RunViewCommand, the transfers and reports on the view's file
// and the persons it shows; the view is then told what to show.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Files larger than this load their list after the window's first paint.
    static constexpr qint64 kLoadAfterPaintBytes = 2 * 1024 * 1024;

    struct Options {
        bool startupScreen = true;
    };

    explicit MainFrame(QWidget* parent = nullptr) : MainFrame(Options(), parent) {}
    explicit MainFrame(const Options& options, QWidget* parent = nullptr);
    ~MainFrame() override;

    // Opens the file named on the command line, restores the placement and shows the window.
    // False when the named file could not be opened: the program is then to end.
    bool Start(const QString& commandLine);

    // Carries out a command as its menu item or toolbar button does.
    void OnCommand(int command);
    // The action of a menu item or toolbar button, by command number.
    QAction* Action(int command) const;
    // Enables and greys the commands from the view's state.
    void UpdateCommands();

    MainView* View() const { return view_; }
    ContextMenus* ViewMenus() const { return contextMenus_; }
    Document& Doc() { return document_; }
    RecentFileList& RecentFiles() { return recentFiles_; }
    QMenu* RecentFilesMenu() const { return recentMenu_; }
    QToolBar* MainToolBar() const { return toolBar_; }
    QToolBar* PreviewToolBar() const { return previewBar_; }
    reports::PrintController& Printing() { return *print_; }
    syncui::SyncCommands& Sync() { return *sync_; }
    syncui::CardExtrasPanel& CardExtras() { return *cardExtras_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int command, const QString& text);
    void BuildMenus();
    void BuildToolBars();
    void SetTitle(const QString& text);
    // Under the details, what the card of the person shown holds beyond the fields.
    void ShowCardExtras();
    void FileNew();
    void FileOpen();
    void FileSaveAs();
    void OpenRecentFile(int command);
    void AddToRecentFiles(const QString& path);
    // Messages before the window shows stand alone, centred on the screen.
    QWidget* MessageOwner();
    // The command's work, any failure passed on to OnCommand.
    void CarryOut(int command);
    // The transfers and the reports, on the view's file and the persons it shows.
    void CarryOutRecordCommand(int command);
    // Shows the file just opened; at start a large file's list waits for the first paint.
    void ShowOpenedFile();
    void LoadDeferredList();
    // After a failed load: a file of the first version is sent to the converter, with no other
    // message; false for any other file.
    bool ExplainedAsVersionOne(const QString& path);
    // The message of a failed open, with the document's reason on a line of its own.
    QString WithFailureReason(const QString& message) const;
    // The preview in place of the main view and its toolbar, or back.
    void EnterPreview();
    void LeavePreview();
    void ShowReport(std::optional<reports::ReportRequest> request);
    // After an import: imported persons that look like persons already there are offered for
    // review in Find Duplicates.
    void OfferImportedDuplicates(const std::string& path, const std::set<RecordId>& before);

    Document document_;
    MainView* view_ = nullptr;
    ContextMenus* contextMenus_ = nullptr;
    RecentFileList recentFiles_;
    QMenu* recentMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolBar* previewBar_ = nullptr;
    QStackedWidget* client_ = nullptr;
    reports::PrintController* print_ = nullptr;
    syncui::SyncCommands* sync_ = nullptr;
    syncui::CardExtrasPanel* cardExtras_ = nullptr;
    // The person the card's extras were read for.
    std::string extrasPath_;
    RecordId extrasPerson_;
    reports::EnvelopeOptions envelopeOptions_;
    std::map<int, QAction*> actions_;
    QPointer<QWidget> startupScreen_;
    // Opening the file to start with, before the window shows.
    bool starting_ = false;
    bool loadAfterPaint_ = false;
};

// "Tidemark [text]".
QString MainFrameTitle(const QString& text);
// The command's short name, as its tooltip gives it ("Add person"); "Tidemark" for one without.
QString CommandName(int command);
