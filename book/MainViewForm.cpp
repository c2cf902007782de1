#include "MainViewForm.h"

#include <climits>

#include <algorithm>
#include <limits>

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

#include "DateTime.h"
#include "DialogUnits.h"
#include "FlatListView.h"
#include "MainViewNames.h"
#include "ReadOnlyField.h"
#include "StoredText.h"

const char kNotAvailable[] = QT_TRANSLATE_NOOP("MainView", "Not Available");

namespace {

constexpr int kFormWidth = 507;
constexpr int kFormHeight = 291;
// Where the details start in the form's table: their pane's origin.
constexpr int kDetailsLeft = 162;
// Where the company and address boxes start in the details.
constexpr int kCompanyLeft = 346 - kDetailsLeft;

// The client width of a list from its placed size; the viewport is not laid out before the
// first show.
int ClientWidth(const QTreeView* list) {
    return list->width() - 2 * list->frameWidth();
}

}  // namespace

void MainViewForm::Measure() {
    const platform::DialogUnits du(host_->font());
    size_ = QSize(du.X(kFormWidth), du.Y(kFormHeight));
    detailsSize_ = QSize(du.X(kFormWidth - kDetailsLeft), du.Y(kFormHeight));
    listPaneSize_ = QSize(du.X(kDetailsLeft), du.Y(kFormHeight));
}

void MainViewForm::Rescale() {
    Measure();
    const platform::DialogUnits du(host_->font());
    for (Placed& p : placed_) {
        p.designed = du.Rect(p.units.x(), p.units.y(), p.units.width(), p.units.height());
        p.widget->setGeometry(p.designed);
    }
    MeasureLeast();
}

std::vector<details_layout::Item> MainViewForm::Items(bool stacked) const {
    using details_layout::Block;
    using details_layout::Kind;
    const platform::DialogUnits du(host_->font());
    std::vector<details_layout::Item> items;
    items.reserve(placed_.size());
    for (const Placed& p : placed_) {
        const Block block = p.group == 2                  ? Block::Name
                            : p.group == 4                ? Block::Contact
                            : p.units.x() >= kCompanyLeft ? Block::Company
                                                          : Block::Phones;
        // A caption shows its whole text. A control keeps most of its width beside the others;
        // once the boxes stand one under the other, it need only show a few letters.
        int least = 0;
        if (p.kind == Kind::Caption) {
            least = p.widget->sizeHint().width();
        } else if (p.kind == Kind::Control) {
            least = std::max(du.X(12), p.designed.width() * (stacked ? 1 : 3) / (stacked ? 3 : 5));
        }
        items.push_back(
            {p.designed, block, p.kind, (p.follow & SizeX) != 0, (p.follow & SizeY) != 0, least});
    }
    return items;
}

details_layout::Spacing MainViewForm::Spacing() const {
    const platform::DialogUnits du(host_->font());
    return {du.X(2), du.X(2), du.Y(4)};
}

void MainViewForm::MeasureLeast() {
    leastSideBySide_ = details_layout::LeastWidth(Items(false), detailsSize_, false, Spacing());
    leastStacked_ = std::min(
        leastSideBySide_, details_layout::LeastWidth(Items(true), detailsSize_, true, Spacing()));
}

int MainViewForm::HeightFor(int width) const {
    const bool stacked = width < leastSideBySide_;
    return details_layout::Lay(Items(stacked), detailsSize_, QSize(width, detailsSize_.height()),
                               stacked, Spacing())
        .height;
}

MainViewForm::MainViewForm(QWidget* listPane, QWidget* detailsPane) : host_(detailsPane) {
    Measure();

    // Frames first, so the controls they surround lie above them.
    AddFrame(1166, QString(), 166, 0, 335, 24, 2, SizeX);
    AddFrame(1153, QString(), 166, 22, 175, 99, 3, MoveX | SizeX);
    AddFrame(1157, QString(), 346, 22, 156, 39, 3, MoveX | SizeX);
    AddFrame(1154, QString(), 346, 58, 156, 63, 3, MoveX | SizeX);
    AddFrame(1159, tr("Contact Information"), 166, 125, 336, 160, 4, MoveX | SizeX | SizeY);

    // The person list fills its pane, with the form's margins around it.
    personList = AddList(1006, 0, 0, 145, 280, 0, 0);
    personList->setParent(listPane);
    placed_.pop_back();

    // Name row.
    AddLabel(1045, tr("Title:"), 169, 10, 17, 2, 0);
    title = AddField(1027, 187, 8, 40, 12, 2);
    AddLabel(1036, tr("First Name:"), 231, 10, 38, 2, MoveX);
    firstName = AddField(1028, 270, 8, 92, 12, 2);
    AddLabel(1041, tr("Last Name:"), 366, 10, 38, 2, MoveX);
    lastName = AddField(1031, 405, 8, 90, 12, 2);

    // Phones.
    AddLabel(1062, tr("Home Phone:"), 167, 31, 46, 3, MoveX);
    homePhone = AddValueButton(1009, 213, 29, 3);
    AddLabel(1064, tr("Work Phone:"), 167, 44, 46, 3, MoveX);
    workPhone = AddValueButton(1012, 213, 42, 3);
    AddLabel(1068, tr("Pager:"), 167, 57, 46, 3, MoveX);
    pager = AddValueButton(1015, 213, 55, 3);
    AddLabel(1039, tr("Fax:"), 167, 70, 46, 3, MoveX);
    fax = new QLabel(host_);
    fax->setAlignment(Qt::AlignCenter);
    fax->setTextFormat(Qt::PlainText);
    platform::SetControlId(fax, 1016);
    controls_[1016] = fax;
    Place(fax, 213, 69, 117, 10, 3, MoveX | SizeX);
    AddLabel(1047, tr("Cel Phone:"), 167, 82, 46, 3, MoveX);
    celPhone = AddValueButton(1018, 213, 80, 3);
    AddLabel(1040, tr("E-Mail:"), 167, 94, 46, 3, MoveX);
    email = AddValueButton(1017, 213, 92, 3);
    AddLabel(1072, tr("Web Page:"), 167, 107, 46, 3, MoveX);
    webPage = AddValueButton(1019, 213, 105, 3);

    // Company.
    AddLabel(1037, tr("Company:"), 348, 31, 33, 3, MoveX);
    company = AddField(1023, 382, 29, 113, 12, 3);
    AddLabel(1042, tr("Position:"), 348, 45, 33, 3, MoveX);
    position = AddField(1024, 382, 43, 113, 12, 3);

    // Address.
    QLabel* addressLabel = AddLabel(1032, tr("&Address:"), 348, 68, 33, 3, MoveX);
    address = new QPlainTextEdit(host_);
    platform::ShowAsReadOnly(address);
    address->setLineWrapMode(QPlainTextEdit::NoWrap);
    address->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    address->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    platform::SetControlId(address, 1026);
    controls_[1026] = address;
    Place(address, 382, 66, 113, 23, 3, MoveX | SizeX);
    addressLabel->setBuddy(address);
    // No mnemonic: Alt+C belongs to the Contact menu, and the field cannot be edited anyway.
    AddLabel(1033, tr("City:"), 348, 94, 33, 3, MoveX)
        ->setBuddy(city = AddField(1029, 382, 92, 113, 12, 3));
    AddLabel(1034, tr("&State:"), 348, 108, 33, 3, MoveX)
        ->setBuddy(state = AddField(1030, 382, 106, 30, 12, 3));
    AddLabel(1079, tr("&Zip:"), 415, 108, 18, 3, MoveX)
        ->setBuddy(zip = AddField(1025, 434, 106, 61, 12, 3));

    // Contact details.
    AddLabel(1043, tr("Date:"), 172, 146, 27, 4, MoveX);
    date = AddField(1161, 200, 144, 90, 12, 4);
    AddLabel(1078, tr("Time:"), 172, 160, 27, 4, MoveX);
    time = AddField(1162, 200, 158, 90, 12, 4);
    AddLabel(1044, tr("Contact Type:"), 179, 175, 60, 4, MoveX);
    contactType = AddField(1163, 179, 185, 111, 12, 4);
    notes = new QPlainTextEdit(host_);
    // The one field of the details Tab stops at: notes run longer than they show.
    platform::ShowAsReadOnly(notes, true);
    notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    platform::SetControlId(notes, 1165);
    controls_[1165] = notes;
    Place(notes, 297, 144, 194, 54, 4, MoveX | SizeX);
    contactList = AddList(1021, 172, 207, 325, 75, 4, MoveX | SizeX | SizeY);

    view_names::NameControls(*this);
    MeasureLeast();
}

void MainViewForm::Place(QWidget* widget, int x, int y, int w, int h, int group, int follow,
                         details_layout::Kind kind) {
    const platform::DialogUnits du(host_->font());
    // The table's x counts from the form's left; the details pane starts further right.
    const QRect rect = du.Rect(x - kDetailsLeft, y, w, h);
    widget->setGeometry(rect);
    placed_.push_back({widget, QRect(x - kDetailsLeft, y, w, h), rect, group, follow, kind});
}

QLineEdit* MainViewForm::AddField(int id, int x, int y, int w, int h, int group) {
    auto* field = new QLineEdit(host_);
    platform::ShowAsReadOnly(field);
    field->setMaxLength(std::numeric_limits<int>::max());
    platform::SetControlId(field, id);
    controls_[id] = field;
    Place(field, x, y, w, h, group, MoveX | SizeX);
    return field;
}

QLabel* MainViewForm::AddLabel(int id, const QString& text, int x, int y, int w, int group,
                               int follow) {
    auto* label = new QLabel(text, host_);
    label->setTextFormat(Qt::PlainText);
    platform::SetControlId(label, id);
    controls_[id] = label;
    Place(label, x, y, w, 9, group, follow, details_layout::Kind::Caption);
    return label;
}

QPushButton* MainViewForm::AddValueButton(int id, int x, int y, int group) {
    auto* button = new QPushButton(host_);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    platform::SetControlId(button, id);
    controls_[id] = button;
    Place(button, x, y, 117, 12, group, MoveX | SizeX);
    return button;
}

QGroupBox* MainViewForm::AddFrame(int id, const QString& caption, int x, int y, int w, int h,
                                  int group, int follow) {
    auto* box = new QGroupBox(caption, host_);
    platform::SetControlId(box, id);
    controls_[id] = box;
    Place(box, x, y, w, h, group, follow, details_layout::Kind::Frame);
    return box;
}

QTreeView* MainViewForm::AddList(int id, int x, int y, int w, int h, int group, int follow) {
    auto* view = new FlatListView(host_);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    view->setSortingEnabled(false);
    view->header()->setSectionsClickable(true);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(false);
    view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    platform::SetControlId(view, id);
    controls_[id] = view;
    Place(view, x, y, w, h, group, follow);
    return view;
}

void MainViewForm::SetUpColumns() {
    // Name and company share what the last contact's date, when shown, leaves of the width.
    const int personWidth = ClientWidth(personList) - LastContactWidth();
    personList->setColumnWidth(0, personWidth / 2);
    personList->setColumnWidth(1, personWidth - personList->columnWidth(0));
    // Wide enough for the longest date and time in this locale, the longest of the usual
    // contact types and each header.
    const int dateWidth = std::max(75, FittedWidth(contactList, 0, {WidestDate()}));
    const int timeWidth = std::max(
        60,
        FittedWidth(contactList, 1, {QLocale().toString(QTime(23, 58, 58), DisplayTimeFormat())}));
    const int typeWidth =
        std::max(85, FittedWidth(contactList, 2, {QStringLiteral("Correspondence")}));
    contactList->setColumnWidth(0, dateWidth);
    contactList->setColumnWidth(1, timeWidth);
    contactList->setColumnWidth(2, typeWidth);
    contactList->setColumnWidth(
        3, std::max(0, ClientWidth(contactList) - dateWidth - timeWidth - typeWidth));
}

int MainViewForm::FittedWidth(const QTreeView* list, int column,
                              std::initializer_list<QString> samples) {
    const QFontMetrics metrics(list->font());
    const int pad = 2 * metrics.averageCharWidth() + 6;
    const QAbstractItemModel* model = list->model();
    // The heading with room for its sort mark.
    int width =
        model ? metrics.horizontalAdvance(model->headerData(column, Qt::Horizontal).toString()) + 12
              : 0;
    for (const QString& s : samples) {
        width = std::max(width, metrics.horizontalAdvance(s));
    }
    return width + pad;
}

QString MainViewForm::WidestDate() {
    return QLocale().toString(QDate(2000, 12, 28), DisplayDateFormat());
}

QWidget* MainViewForm::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void MainViewForm::Fit(const QSize& detailsSize) {
    const bool stacked = detailsSize.width() < leastSideBySide_;
    const details_layout::Placement placement =
        details_layout::Lay(Items(stacked), detailsSize_, detailsSize, stacked, Spacing());
    for (size_t i = 0; i < placed_.size(); ++i) {
        placed_[i].widget->setGeometry(placement.rects[i]);
    }
    for (QPushButton* button : {homePhone, workPhone, pager, celPhone, email, webPage}) {
        ShowValueText(button);
    }
    contactList->setColumnWidth(
        3, std::max(0, ClientWidth(contactList) - contactList->columnWidth(0) -
                           contactList->columnWidth(1) - contactList->columnWidth(2)));
}

std::pair<int, int> MainViewForm::Span() const {
    int left = INT_MAX, right = 0;
    for (const Placed& placed : placed_) {
        const QRect r = placed.widget->geometry();
        left = std::min(left, r.left());
        right = std::max(right, r.right() + 1);
    }
    return placed_.empty() ? std::pair{0, 0} : std::pair{left, right};
}

void MainViewForm::SetValue(QWidget* control, const std::string& value) {
    const QString text = FromStoredText(value);
    const bool empty = value.empty();
    const QString none = tr(kNotAvailable);
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setProperty("shown", empty ? none : text);
        button->setProperty("value", empty ? QString() : text);
        button->setToolTip(empty ? QString() : text);
        ShowValueText(button);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(empty ? none : text);
    }
    control->setEnabled(!empty);
}

void MainViewForm::ShowValueText(QPushButton* button) {
    // A value too long for its button ends in "..." rather than running off both its sides.
    const QStyle* style = button->style();
    const int inset = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                      style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    QString shown = button->fontMetrics().elidedText(button->property("shown").toString(),
                                                     Qt::ElideRight, button->width() - 2 * inset);
    // A button would take "&" for a mnemonic.
    button->setText(shown.replace(QLatin1Char('&'), QLatin1String("&&")));
}

void MainViewForm::ShowPerson(const PersonRecord* person) {
    static const PersonRecord kNobody;
    const PersonRecord& p = person ? *person : kNobody;
    const auto set = [](QLineEdit* field, const std::string& value) {
        field->setText(FromStoredText(value));
        field->setCursorPosition(0);
    };
    set(title, p[PersonRecord::Title]);
    set(firstName, p[PersonRecord::FName]);
    set(lastName, p[PersonRecord::LName]);
    set(company, p[PersonRecord::Company]);
    set(position, p[PersonRecord::Position]);
    address->setPlainText(FromStoredText(FromStoredLines(p[PersonRecord::Addr])));
    set(city, p[PersonRecord::City]);
    set(state, p[PersonRecord::State]);
    set(zip, p[PersonRecord::Zip]);
    SetValue(homePhone, p[PersonRecord::HmPhone]);
    SetValue(workPhone, WorkPhoneText(p[PersonRecord::WkPhone], p[PersonRecord::WkExt]));
    SetValue(celPhone, p[PersonRecord::CelPhone]);
    SetValue(pager, p[PersonRecord::Pager]);
    SetValue(fax, p[PersonRecord::WkFax]);
    SetValue(email, p[PersonRecord::Email]);
    SetValue(webPage, p[PersonRecord::WebPage]);
    view_names::NameValues(*this);
}

void MainViewForm::ShowContact(const ContactRowList& rows, int row) {
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        // No contact: nothing to show, not even the time of day.
        notes->clear();
        contactType->clear();
        date->clear();
        time->clear();
        return;
    }
    const auto at = static_cast<size_t>(row);
    const DateTime when = rows.When(at);
    notes->setPlainText(FromStoredText(FromStoredLines(std::string(rows.Notes(at)))));
    date->setText(FromStoredText(FormatDisplayDate(when)));
    time->setText(FromStoredText(FormatDisplayTime(when)));
    contactType->setText(FromStoredText(rows.Type(at)));
}

int MainViewForm::LastContactWidth() const {
    QHeaderView* header = personList->header();
    if (header->isSectionHidden(2)) {
        return 0;
    }
    // Never more than half the list: the names come first.
    const int half = ClientWidth(personList) / 2;
    if (header->sectionSize(2) > half && half > 0) {
        header->resizeSection(2, half);
    }
    return header->sectionSize(2);
}

void MainViewForm::FitPersonColumns() {
    QHeaderView* header = personList->header();
    const int total = header->sectionSize(0) + header->sectionSize(1);
    const int width = personList->viewport()->width() - LastContactWidth();
    if (total > 0 && width > 0 && total != width) {
        const int first = static_cast<int>(qint64{header->sectionSize(0)} * width / total);
        header->resizeSection(0, first);
        header->resizeSection(1, width - first);
    }
}

const help::PopupTable& MainViewForm::Popups() {
    static const help::PopupTable table = {
        {1006, 1200}, {1045, 1205}, {1027, 1205}, {1028, 1201}, {1036, 1201}, {1031, 1202},
        {1041, 1202}, {1023, 1203}, {1037, 1203}, {1024, 1204}, {1042, 1204}, {1026, 1207},
        {1032, 1207}, {1029, 1209}, {1033, 1209}, {1030, 1210}, {1034, 1210}, {1025, 1211},
        {1079, 1211}, {1009, 1220}, {1062, 1220}, {1012, 1221}, {1064, 1221}, {1015, 1226},
        {1068, 1226}, {1018, 1225}, {1047, 1225}, {1016, 1223}, {1039, 1223}, {1017, 1224},
        {1040, 1224}, {1019, 1227}, {1072, 1227}, {1165, 2001}, {1161, 2002}, {1043, 2002},
        {1162, 2004}, {1078, 2004}, {1163, 2003}, {1044, 2003}, {1021, 2000}, {1080, 1230},
        {0, 0},
    };
    return table;
}
