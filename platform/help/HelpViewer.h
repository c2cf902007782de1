#pragma once

#include <functional>
#include <vector>

#include <QString>

class QWidget;

namespace help {

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

}  // namespace help
