#pragma once

#include <initializer_list>

#include <map>
#include <vector>

#include <QCoreApplication>
#include <QRect>
#include <QSize>

#include "AddressBook.h"
#include "DetailsLayout.h"
#include "HelpViewer.h"
#include "PersonRecord.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class QWidget;

// The controls of the main view, placed in dialog units as the form's table reads (507 by 291
// units): the person list in a pane of its own, the details in another. When the details pane
// grows beyond its designed size, each group of controls shares the extra width in proportion to
// where its controls stand, and the contact list takes the extra height; narrower, they give it
// up the same way, every caption keeping the width of its text, and the company and address go
// under the phones where they no longer fit beside them.
class MainViewForm {
    // Its texts are the main view's.
    Q_DECLARE_TR_FUNCTIONS(MainView)

public:
    // Builds the person list in the list pane and every other control in the details pane, in
    // the panes' font.
    MainViewForm(QWidget* listPane, QWidget* detailsPane);

    // The lists' first column widths, once their models are set.
    void SetUpColumns();
    // Lays the details out for the details pane's new size.
    void Fit(const QSize& detailsSize);
    // Across the details, where the form's boxes begin and end as last fitted: what stands
    // under the form lines up with them.
    std::pair<int, int> Span() const;
    // The least width of the details pane with the company beside the phones, and with it under
    // them; the height the details need at a width.
    int LeastSideBySideWidth() const { return leastSideBySide_; }
    int LeastWidth() const { return leastStacked_; }
    int HeightFor(int width) const;
    // Places every control anew in the panes' current font, after the font changed.
    void Rescale();
    // The size of the whole form, list and details, at its designed size.
    QSize Size() const { return size_; }
    // The designed size of the details pane, and of the list pane with its margins.
    QSize DetailsSize() const { return detailsSize_; }
    QSize ListPaneSize() const { return listPaneSize_; }
    // The control with the given number (1006, 1021, 1028, ...), null if none.
    QWidget* Control(int id) const;
    // The pop-up help numbers of the fields and labels, and of the search field above the list
    // (1080).
    static const help::PopupTable& Popups();

    // The person's fields in the details; all empty without one.
    void ShowPerson(const PersonRecord* person);
    // The contact of the row in the contact details; all empty for none (row -1).
    void ShowContact(const ContactRowList& rows, int row);
    // Name and Company share the person list's new width as they did the old one, beside the
    // last contact's date when it is shown.
    void FitPersonColumns();
    // A list column wide enough for each sample and its heading, in the list's font.
    static int FittedWidth(const QTreeView* list, int column,
                           std::initializer_list<QString> samples);
    // The widest date of this locale as the lists show dates.
    static QString WidestDate();
    // The width of the last contact's column; 0 while it is hidden.
    int LastContactWidth() const;

    QTreeView* personList = nullptr;
    QTreeView* contactList = nullptr;
    QLineEdit* title = nullptr;
    QLineEdit* firstName = nullptr;
    QLineEdit* lastName = nullptr;
    QLineEdit* company = nullptr;
    QLineEdit* position = nullptr;
    QPlainTextEdit* address = nullptr;
    QLineEdit* city = nullptr;
    QLineEdit* state = nullptr;
    QLineEdit* zip = nullptr;
    QPushButton* homePhone = nullptr;
    QPushButton* workPhone = nullptr;
    QPushButton* pager = nullptr;
    QLabel* fax = nullptr;
    QPushButton* celPhone = nullptr;
    QPushButton* email = nullptr;
    QPushButton* webPage = nullptr;
    QLineEdit* date = nullptr;
    QLineEdit* time = nullptr;
    QLineEdit* contactType = nullptr;
    QPlainTextEdit* notes = nullptr;

private:
    enum Follow { MoveX = 1, SizeX = 2, SizeY = 4 };

    // A value button or label: its text, or "Not Available" and greyed when empty.
    static void SetValue(QWidget* control, const std::string& value);
    // The button's value in its width.
    static void ShowValueText(QPushButton* button);
    struct Placed {
        QWidget* widget;
        QRect units;
        QRect designed;
        int group;
        int follow;
        details_layout::Kind kind;
    };

    void Place(QWidget* widget, int x, int y, int w, int h, int group, int follow,
               details_layout::Kind kind = details_layout::Kind::Control);
    QLineEdit* AddField(int id, int x, int y, int w, int h, int group);
    QLabel* AddLabel(int id, const QString& text, int x, int y, int w, int group, int follow);
    QPushButton* AddValueButton(int id, int x, int y, int group);
    QGroupBox* AddFrame(int id, const QString& caption, int x, int y, int w, int h, int group,
                        int follow);
    QTreeView* AddList(int id, int x, int y, int w, int h, int group, int follow);

    // The sizes of the form and the panes in the details pane's font, and the least widths of
    // the details.
    void Measure();
    void MeasureLeast();
    std::vector<details_layout::Item> Items(bool stacked) const;
    details_layout::Spacing Spacing() const;

    QWidget* host_;
    QSize size_;
    QSize detailsSize_;
    QSize listPaneSize_;
    int leastSideBySide_ = 0;
    int leastStacked_ = 0;
    std::vector<Placed> placed_;
    std::map<int, QWidget*> controls_;
};

// The text of a value control that has nothing to show.
extern const char kNotAvailable[];
