#pragma once

#include <QObject>
#include <QSize>

class MainViewForm;
class QLineEdit;
class QScrollArea;
class QSplitter;
class QVBoxLayout;
class QWidget;

// The two panes of the main view: the search field and the person list in one, the details in
// the other, split by a handle the user can drag. The list keeps the width the user gave it and
// the details take the rest, scrolling when the window is smaller than their form; both are
// measured anew in the view's font whenever that changes.
class MainViewPanes : public QObject {
public:
    explicit MainViewPanes(QWidget* view);
    ~MainViewPanes() override;

    // Where the form places the person list and the details.
    QWidget* ListPane() const { return listPane_; }
    QWidget* Details() const;
    // Lays the search field and the person list in the list pane and sizes the panes to the
    // form, once the form stands in them.
    void Fill(MainViewForm* form, QLineEdit* search);

    QSplitter* Splitter() const { return splitter_; }
    QScrollArea* DetailsScroll() const { return detailsScroll_; }
    // The width of the list pane; setting it moves the handle, the details take the rest.
    int ListPaneWidth() const;
    void SetListPaneWidth(int width);
    // The width the user last gave the list (dragged or set), kept while a narrow window
    // squeezes the pane; what is stored between runs.
    int ChosenListPaneWidth() const;
    // The whole form beside the list, with the handle between.
    QSize SizeHint() const;
    // A widget under the details' form (what a synced card holds beyond the fields): as wide as
    // the details, as high as it asks while shown; the form keeps the rest.
    void SetExtra(QWidget* extra);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class DetailsPane;

    void ApplyListPaneWidth();
    // The height the extra widget takes at the width, 0 while it is hidden.
    int ExtraHeight(int width) const;
    // The form and the extra widget placed in the details' size.
    void FitDetails();
    // The list pane's margins and the details' least size in the view's font.
    void Measure();
    void Rescale();

    QWidget* view_;
    MainViewForm* form_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QWidget* listPane_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    QScrollArea* detailsScroll_ = nullptr;
    DetailsPane* details_ = nullptr;
    QWidget* extra_ = nullptr;
    int chosenListWidth_ = 0;
    bool rescalePending_ = false;
};
