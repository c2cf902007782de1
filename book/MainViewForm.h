#pragma once

#include <map>
#include <vector>

#include <QRect>
#include <QSize>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeView;
class QWidget;

// The controls of the main view, placed in dialog units as the form's table reads (507 by 291
// units), and their layout when the view grows beyond that size: each group of controls shares
// the extra width in proportion to where its controls stand; the lists also take the extra height.
class MainViewForm {
public:
    // Builds every control as a child of the host, in the host's font.
    explicit MainViewForm(QWidget* host);

    // The lists' first column widths, once their models are set.
    void SetUpColumns();
    // Lays the controls out for the host's new size.
    void Fit(const QSize& hostSize);
    // The size of the form at its designed size.
    QSize Size() const { return size_; }
    // The control with the given number (1006, 1021, 1028, ...), null if none.
    QWidget* Control(int id) const;

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
    struct Placed {
        QWidget* widget;
        QRect designed;
        int group;
        int follow;
    };

    void Place(QWidget* widget, int x, int y, int w, int h, int group, int follow);
    QLineEdit* AddField(int id, int x, int y, int w, int h, int group);
    QLabel* AddLabel(int id, const QString& text, int x, int y, int w, int group, int follow);
    QPushButton* AddValueButton(int id, int x, int y, int group);
    QGroupBox* AddFrame(int id, const QString& caption, int x, int y, int w, int h, int group,
                        int follow);
    QTreeView* AddList(int id, int x, int y, int w, int h, int group, int follow);

    QWidget* host_;
    QSize size_;
    std::vector<Placed> placed_;
    std::map<int, QWidget*> controls_;
};
