#pragma once

#include <functional>
#include <vector>

#include <QString>

class QWidget;

namespace help {

// The topic parts of the help pages, to follow the help file path (TopicReference).
inline constexpr char kMainTopic[] = "::/html/Introduction.htm>mainwin";
inline constexpr char kPersonTopic[] = "::/html/addrinfdlg.htm>topic";
inline constexpr char kUserTopic[] = "::/html/userinfdlg.htm>topic";
inline constexpr char kContactTopic[] = "::/html/contactdlg.htm>topic";
inline constexpr char kTransferTopic[] = "::/html/transfer.htm>topic";
inline constexpr char kVCardTopic[] = "::/html/vcard.htm>topic";
inline constexpr char kSyncTopic[] = "::/html/sync.htm>topic";
inline constexpr char kConflictsTopic[] = "::/html/sync.htm#conflicts>topic";
inline constexpr char kSyncSettingsTopic[] = "::/html/sync.htm#auto>topic";
inline constexpr char kAddressBookReportTopic[] = "::/html/addrrptdlg.htm>topic";
inline constexpr char kContactsReportTopic[] = "::/html/cntrptdlg.htm>topic";
inline constexpr char kEnvelopeReportTopic[] = "::/html/envrptdlg.htm>topic";
inline constexpr char kActivityReportTopic[] = "::/html/actrptdlg.htm>topic";

// The help file: the program folder, the native separator and "Tidemark.chm".
QString HelpFilePath();
// The help file path followed by a topic part such as "::/html/Introduction.htm>mainwin".
QString TopicReference(const QString& topicPart);

// One dialog's pairs of control number and pop-up number, ending with {0, 0}.
struct PopupPair {
    int control;
    int popup;
};
using PopupTable = std::vector<PopupPair>;

// The three requests of the program to its help window. All return at once.
void ShowContents(QWidget* owner, const QString& topicReference);
void ShowTopic(QWidget* owner, const QString& topicReference);
// Shows the pop-up text for the control's number (platform::ControlId) at the control; a
// control that is not in the table gets nothing.
void ShowControlPopup(QWidget* control, const QString& helpFile, const PopupTable& table);

// The pop-up text of a pop-up number; empty when there is none.
QString PopupText(int popupNumber);

// What tests see instead of the help window.
struct HelpRequest {
    enum Kind { Contents, Topic, Popup };
    Kind kind = Contents;
    QWidget* widget = nullptr;
    QString reference;  // topic reference, or the help file for a pop-up
    int popup = 0;      // the pop-up number found for the control
};
using HelpRequestHandler = std::function<void(const HelpRequest&)>;
void SetHelpRequestHandler(HelpRequestHandler handler);

// --- Additions ---

// The pop-up number of a control number in a table (searched up to {0, 0}); 0 when absent.
int PopupNumber(int controlNumber, const PopupTable& table);

// Gives every control of a dialog (also those created later, such as property-sheet pages) its
// pop-up help: F1 on the focused control, and a click in what's-this mode (the caption's "?"
// button, Shift+F1), call ShowControlPopup with the dialog's table. A label without a number
// of its own speaks for its buddy; a control without a number speaks for its nearest numbered
// parent. Controls that are not in the table keep their default handling. Lives as long as the
// dialog.
void InstallPopupHelp(QWidget* dialog, const QString& helpFile, const PopupTable& table);

// The page inside the help a topic reference names, such as "html/contactdlg.htm" (with its
// "#anchor" when it has one). A reference that names no page of the help gives the
// introduction, "html/Introduction.htm".
QString TopicPage(const QString& topicReference);
// Where a page of TopicPage lies among the program's resources (":/help/html/...").
QString PageResourcePath(const QString& page);

// The pages of the help window's contents list, in the order it lists them.
struct HelpTopic {
    QString page;   // "html/Introduction.htm"
    QString title;  // the entry's text in the contents list
};
std::vector<HelpTopic> ContentsTopics();

}  // namespace help
