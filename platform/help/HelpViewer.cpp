#include "HelpViewer.h"

// Placeholder until the help window lands.
namespace help {
QString HelpFilePath() { return QString(); }
QString TopicReference(const QString& topicPart) { return HelpFilePath() + topicPart; }
void ShowContents(QWidget*, const QString&) {}
void ShowTopic(QWidget*, const QString&) {}
void ShowControlPopup(QWidget*, const QString&, const PopupTable&) {}
QString PopupText(int) { return QString(); }
void SetHelpRequestHandler(HelpRequestHandler) {}
}  // namespace help
