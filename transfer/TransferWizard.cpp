#include "TransferWizard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>
#include <limits>

#include "ColumnNames.h"
#include "ColumnPlan.h"
#include "DialogUnits.h"
#include "FileDialog.h"
#include "HelpViewer.h"
#include "Import.h"
#include "LineTokenizer.h"
#include "MessageBox.h"
#include "Picture.h"
#include "StoredText.h"
#include "TextEncoding.h"

namespace transfer {

namespace {

// The pages, in dialog units: the picture on the left, the controls to its right. They fill the
// room a wizard has at the dialog font's usual size.
constexpr int kPageWidth = 320;
constexpr int kPageHeight = 196;
constexpr int kLeft = 96;
constexpr int kRight = kPageWidth - 2;
constexpr int kWidth = kRight - kLeft;

// Control numbers, for the pop-up help.
enum Control {
    kFileField = 1001,
    kBrowse = 1002,
    kSelectFileGroup = 1003,
    kFirstLineText = 1004,
    kFirstLineGroup = 1005,
    kNamesBox = 1006,
    kNamesGroup = 1007,
    kSeparatorList = 1008,
    kSeparatorGroup = 1009,
    kEncloserList = 1010,
    kEncloserGroup = 1011,
    kFieldList = 1012,
    kFieldsGroup = 1013,
    kEncodingList = 1014,
    kEncodingLabel = 1015,
    kAssignList = 1101,
    kAssignLabel = 1102,
};

const help::PopupTable& WizardPopups() {
    static const help::PopupTable table = {
        {kFileField, 4000},       {kBrowse, 4000},
        {kSelectFileGroup, 4001}, {kFirstLineText, 4002},
        {kFirstLineGroup, 4002},  {kNamesBox, 4004},
        {kNamesGroup, 4004},      {kSeparatorList, 4006},
        {kSeparatorGroup, 4006},  {kEncloserList, 4008},
        {kEncloserGroup, 4008},   {kFieldList, 4010},
        {kFieldsGroup, 4010},     {kEncodingList, 4012},
        {kEncodingLabel, 4012},   {0, 0},
    };
    return table;
}

// The texts of the tables and helpers below; each table's texts are translated where shown.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(transfer::TransferWizard)
};

// The separator list's entries and the characters they stand for, in list order.
const std::pair<const char*, const char*> kSeparators[] = {
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Comma(,)"), ","},
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Semi-colon(;)"), ";"},
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Pipe(|)"), "|"},
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Space"), " "},
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Tab"), "\t"}};
const std::pair<const char*, const char*> kEnclosers[] = {
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Double Quote(\")"), "\""},
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Single Quote(')"), "'"},
    {QT_TRANSLATE_NOOP("transfer::TransferWizard", "Nothing"), ""}};

const char kEmptyField[] = QT_TRANSLATE_NOOP("transfer::TransferWizard", "EMPTY FIELD");
const char kNotImported[] = QT_TRANSLATE_NOOP("transfer::TransferWizard", "(not imported)");

// How much of the file the Document Structure page reads: enough for the first lines in any
// encoding.
constexpr size_t kFileStartBytes = 256 * 1024;
// The lines shown of it.
constexpr int kShownLines = 12;

platform::DialogUnits Units(const QWidget* widget) {
    return platform::DialogUnits(widget->font());
}

QGroupBox* AddGroup(QWidget* page, const QString& title, int id, int x, int y, int w, int h) {
    auto* group = new QGroupBox(title, page);
    platform::SetControlId(group, id);
    Units(page).Place(group, x, y, w, h);
    return group;
}

// The texts come marked in the Texts context.
void ShowInformation(QWidget* owner, const char* text, const char* caption) {
    platform::ShowMessage(owner, Texts::tr(text), Texts::tr(caption),
                          platform::MessageIcon::Information);
}

}  // namespace

// ---- TransferPage

TransferPage::TransferPage(TransferSettings& settings, const QString& caption)
    : settings_(settings), caption_(caption) {
    setFont(platform::DialogFont());
    const platform::DialogUnits units = Units(this);
    setFixedSize(units.X(kPageWidth), units.Y(kPageHeight));
    // The wizard's picture, stretched into its place on every paint.
    auto* picture = new platform::PictureControl(this);
    units.Place(picture, 0, 0, kLeft - 8, kPageHeight);
}

// ---- SelectDocumentPage

SelectDocumentPage::SelectDocumentPage(TransferSettings& settings)
    : TransferPage(settings, tr("Select Document")) {
    const platform::DialogUnits units = Units(this);
    AddGroup(this, tr("Select File"), kSelectFileGroup, kLeft, 0, kWidth, 38);
    file_ = new QLineEdit(this);
    file_->setMaxLength(std::numeric_limits<int>::max());
    platform::SetControlId(file_, kFileField);
    file_->setAccessibleName(tr("File Name"));
    units.Place(file_, kLeft + 8, 18, kWidth - 44, 12);
    file_->setText(QFile::decodeName(settings_.filePath.c_str()));
    browse_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "..."),
                                    kBrowse, kRight - 32, 17, 24, 14);
    connect(file_, &QLineEdit::textChanged, this, [this](const QString& text) {
        settings_.filePath = QFile::encodeName(text).toStdString();
        emit completeChanged();
    });
    connect(browse_, &QPushButton::clicked, this, &SelectDocumentPage::Browse);
    if (settings_.kind == TransferKind::ExportPersons && !settings_.shownPersons.empty()) {
        onlyShown_ = new QCheckBox(
            tr("&Only the persons shown in the list (%1)").arg(settings_.shownPersons.size()),
            this);
        units.Place(onlyShown_, kLeft, 46, kWidth, 12);
        onlyShown_->setChecked(settings_.onlyShown);
        connect(onlyShown_, &QCheckBox::toggled, this,
                [this](bool on) { settings_.onlyShown = on; });
    }
}

bool SelectDocumentPage::isComplete() const {
    return !file_->text().isEmpty();
}

void SelectDocumentPage::Browse() {
    platform::FileDialogRequest request;
    request.owner = this;
    request.kind =
        settings_.IsImport() ? platform::FileDialogKind::Open : platform::FileDialogKind::Save;
    request.initialPath = file_->text();
    request.filters = {tr("Comma Separated files (*.csv)"), tr("Text Files (*.txt)"),
                       tr("All files (*)")};
    request.defaultSuffix = QStringLiteral("csv");
    request.confirmOverwrite = true;
    if (const std::optional<QString> chosen = platform::AskFileName(request)) {
        file_->setText(*chosen);
    }
}

bool SelectDocumentPage::validatePage() {
    if (file_->text().isEmpty()) {
        ShowInformation(this,
                        QT_TRANSLATE_NOOP("transfer::TransferWizard", "You must enter a file name"),
                        QT_TRANSLATE_NOOP("transfer::TransferWizard", "Enter File Name"));
        return false;
    }
    settings_.filePath = QFile::encodeName(file_->text()).toStdString();
    if (!settings_.IsImport()) {
        return true;
    }
    const std::optional<std::string> bytes = ReadFileBytes(settings_.filePath);
    if (!bytes) {
        ShowInformation(this, QT_TRANSLATE_NOOP("transfer::TransferWizard", "Unable to open file"),
                        QT_TRANSLATE_NOOP("transfer::TransferWizard", "File Error"));
        return false;
    }
    const std::string start(SampleOf(*bytes, kFileStartBytes));
    // Another file (or the same one changed): its encoding is told again from all its bytes;
    // coming back to the same file keeps the one chosen.
    if (start != settings_.fileStart || settings_.encoding.empty()) {
        settings_.fileStart = start;
        settings_.encoding = DetectEncoding(*bytes).name;
    }
    settings_.firstLine = FirstLine(DecodedText(settings_.fileStart, settings_.encoding));
    return true;
}

// ---- DocumentStructurePage

DocumentStructurePage::DocumentStructurePage(TransferSettings& settings)
    : TransferPage(settings, tr("Document Structure")) {
    const platform::DialogUnits units = Units(this);
    AddGroup(this, tr("Field Names"), kNamesGroup, kLeft, 0, kWidth, 30);
    names_ = new QCheckBox(tr("First line of document contains field names"), this);
    platform::SetControlId(names_, kNamesBox);
    units.Place(names_, kLeft + 8, 15, kWidth - 16, 10);
    names_->setChecked(settings_.firstLineHasNames);

    const int half = (kWidth - 4) / 2;
    // Each list inside its frame: a screen reader hears the frame's title as the list's label.
    separators_ =
        new QComboBox(AddGroup(this, tr("Field Separator"), kSeparatorGroup, kLeft, 34, half, 36));
    platform::SetControlId(separators_, kSeparatorList);
    units.Place(separators_, 8, 16, half - 16, 12);
    for (const auto& [text, value] : kSeparators) {
        separators_->addItem(Texts::tr(text), QString::fromUtf8(value));
    }
    enclosers_ = new QComboBox(
        AddGroup(this, tr("Field Encloser"), kEncloserGroup, kRight - half, 34, half, 36));
    platform::SetControlId(enclosers_, kEncloserList);
    units.Place(enclosers_, 8, 16, half - 16, 12);
    for (const auto& [text, value] : kEnclosers) {
        enclosers_->addItem(Texts::tr(text), QString::fromUtf8(value));
    }

    if (settings_.IsImport()) {
        auto* label = new QLabel(tr("&Encoding:"), this);
        platform::SetControlId(label, kEncodingLabel);
        units.Place(label, kLeft, 78, 40, 8);
        encodings_ = new QComboBox(this);
        // A list of some length, where the style does not open it at full length anyway.
        encodings_->setMaxVisibleItems(12);
        platform::SetControlId(encodings_, kEncodingList);
        units.Place(encodings_, kLeft + 42, 76, kWidth - 42, 12);
        label->setBuddy(encodings_);
        connect(encodings_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int) {
            settings_.encoding = encodings_->currentData().toString().toStdString();
            ReadInEncoding();
        });
        AddGroup(this, tr("First lines of document"), kFirstLineGroup, kLeft, 94, kWidth,
                 kPageHeight - 94);
        firstLines_ = new QPlainTextEdit(this);
        firstLines_->setReadOnly(true);
        firstLines_->setLineWrapMode(QPlainTextEdit::NoWrap);
        firstLines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        // Read only: Tab goes on to the next control rather than into the text.
        firstLines_->setTabChangesFocus(true);
        platform::SetControlId(firstLines_, kFirstLineText);
        firstLines_->setAccessibleName(tr("First lines of document"));
        units.Place(firstLines_, kLeft + 8, 108, kWidth - 16, kPageHeight - 114);
    } else {
        utf8Mark_ = new QCheckBox(tr("Add a UTF-8 mark for spreadsheet programs"), this);
        units.Place(utf8Mark_, kLeft + 2, 78, kWidth - 4, 10);
        utf8Mark_->setChecked(settings_.utf8Mark);
    }
}

void DocumentStructurePage::initializePage() {
    if (!encodings_) {
        return;
    }
    // Each file gets the likeliest encodings first, and the separator that splits its first
    // line best; coming back to the page keeps what the user chose.
    const bool newFile = listedFor_ != settings_.fileStart;
    if (newFile) {
        listedFor_ = settings_.fileStart;
        const QSignalBlocker blocker(encodings_);
        encodings_->clear();
        for (const std::string& name :
             EncodingsByLikelihood(settings_.fileStart, settings_.encoding)) {
            encodings_->addItem(QString::fromStdString(EncodingLabel(name)),
                                QString::fromStdString(name));
        }
        encodings_->setCurrentIndex(
            std::max(0, encodings_->findData(QString::fromStdString(settings_.encoding))));
    }
    ReadInEncoding();
    if (newFile) {
        const char guessed = LikeliestSeparator(settings_.firstLine, '"');
        for (int i = 0; i < separators_->count(); ++i) {
            if (separators_->itemData(i).toString() == QString(QLatin1Char(guessed))) {
                separators_->setCurrentIndex(i);
            }
        }
    }
}

void DocumentStructurePage::ReadInEncoding() {
    const std::string text = DecodedText(settings_.fileStart, settings_.encoding);
    settings_.firstLine = FirstLine(text);
    QStringList lines;
    for (const std::string& line : FirstLines(text, kShownLines)) {
        QString shown = QString::fromStdString(line);
        // Only the start of a very long line is of use here.
        if (shown.size() > 1000) {
            shown = shown.left(1000) + QChar(0x2026);
        }
        lines << shown;
    }
    firstLines_->setPlainText(lines.join(QLatin1Char('\n')));
}

bool DocumentStructurePage::validatePage() {
    if (separators_->currentIndex() < 0 || enclosers_->currentIndex() < 0) {
        ShowInformation(
            this,
            QT_TRANSLATE_NOOP("transfer::TransferWizard",
                              "You must select both a character that encloses each "
                              "text field and one that separates each field."),
            QT_TRANSLATE_NOOP("transfer::TransferWizard", "Choose Formatting Characters"));
        return false;
    }
    settings_.separator = separators_->currentData().toString().toStdString();
    settings_.encloser = enclosers_->currentData().toString().toStdString();
    settings_.firstLineHasNames = names_->isChecked();
    if (encodings_) {
        settings_.encoding = encodings_->currentData().toString().toStdString();
    }
    if (utf8Mark_) {
        settings_.utf8Mark = utf8Mark_->isChecked();
    }
    return true;
}

// ---- FieldsPage

FieldsPage::FieldsPage(TransferSettings& settings)
    : TransferPage(settings,
                   settings.IsImport() ? tr("Fields To Import") : tr("Fields To Export")) {
    const platform::DialogUnits units = Units(this);
    AddGroup(this, tr("Available Fields"), kFieldsGroup, kLeft, 0, kWidth, kPageHeight);
    list_ = new QTreeWidget(this);
    platform::SetControlId(list_, kFieldList);
    list_->setAccessibleName(tr("Available Fields"));
    list_->setAccessibleDescription(settings.IsImport()
                                        ? tr("The file's columns, each with the field it goes "
                                             "into; a click on a row changes it.")
                                        : tr("The fields to write, each with its tick."));
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setSectionsMovable(false);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // An import keeps room under the list for what the current row's assignment comes to.
    const int listHeight = settings_.IsImport() ? kPageHeight - 69 : kPageHeight - 33;
    units.Place(list_, kLeft + 8, 15, kWidth - 16, listHeight);
    const QString heading = tr(settings_.listHeading.c_str());
    refusal_ = new QLabel(this);
    refusal_->setTextFormat(Qt::PlainText);
    units.Place(refusal_, kLeft + 8, kPageHeight - 15, kWidth - 16, 10);
    refusal_->hide();

    if (!settings_.IsImport()) {
        list_->setColumnCount(1);
        list_->setHeaderLabels({heading});
        for (const std::string& field : settings_.availableFields) {
            auto* item = new QTreeWidgetItem(list_, {QString::fromStdString(field)});
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            const bool ticked =
                std::find(settings_.checkedAtStart.begin(), settings_.checkedAtStart.end(),
                          field) != settings_.checkedAtStart.end();
            item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
        }
        // Ticking a field is what the refusal asked for.
        connect(list_, &QTreeWidget::itemChanged, this, [this] {
            if (refusal_->isVisible()) {
                validatePage();
            }
        });
        return;
    }
    list_->setColumnCount(2);
    list_->setHeaderLabels({tr("Import Fields"), heading});
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, (units.X(kWidth - 16) - 2 * list_->frameWidth()) / 2);
    description_ = new QLabel(this);
    description_->setTextFormat(Qt::PlainText);
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    units.Place(description_, kLeft + 8, 15 + listHeight + 2, kWidth - 16, 36);
    // A click (or Enter, or Space) on a row assigns its column.
    connect(list_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { EditAssignment(list_->indexOfTopLevelItem(item)); });
    connect(list_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { EditAssignment(list_->indexOfTopLevelItem(item)); });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { ShowAssignments(); });
}

void FieldsPage::FillColumns() {
    list_->clear();
    settings_.TakeColumnsFromFirstLine();
    const std::vector<std::string> assigned =
        settings_.firstLineHasNames ? AssignColumns(settings_.columnLabels)
                                    : std::vector<std::string>(settings_.columnLabels.size());
    for (size_t i = 0; i < settings_.columnLabels.size(); ++i) {
        const std::string& label = settings_.columnLabels[i];
        auto* item = new QTreeWidgetItem(
            list_, {label.empty() ? Texts::tr(kEmptyField) : QString::fromStdString(label)});
        item->setData(1, Qt::UserRole, QString::fromStdString(assigned[i]));
    }
    ShowAssignments();
}

void FieldsPage::initializePage() {
    if (!settings_.IsImport()) {
        refusal_->hide();
        return;
    }
    // The rows follow the line and how it is split; they are made again only when those change,
    // so that coming back to the page keeps what the user assigned.
    const std::string from = settings_.firstLine + '\n' + settings_.separator + settings_.encloser +
                             (settings_.firstLineHasNames ? "1" : "0");
    if (from != builtFrom_) {
        builtFrom_ = from;
        FillColumns();
    }
    refusal_->hide();
}

std::vector<std::string> FieldsPage::Assignments() const {
    std::vector<std::string> assigned;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        assigned.push_back(Assignment(i).toStdString());
    }
    return assigned;
}

void FieldsPage::ShowAssignments() {
    const ColumnPlan plan(settings_.columnLabels, Assignments(), settings_.firstLineHasNames);
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const QString field = Assignment(i);
        // The fields by their names in the file, the one that is none by its text.
        QString shown = field == QLatin1String(kPhoneByType) ? Texts::tr(kPhoneByType) : field;
        if (field.isEmpty()) {
            // A column of kinds works with the column it names the kinds of.
            shown = plan.Uses(i) ? tr("(used with other columns)") : Texts::tr(kNotImported);
        }
        QFont font = list_->font();
        font.setItalic(field.isEmpty());
        item->setFont(1, font);
        item->setForeground(1, field.isEmpty() ? list_->palette().brush(QPalette::PlaceholderText)
                                               : list_->palette().brush(QPalette::Text));
        item->setText(1, shown);
        item->setToolTip(1, plan.Describe(i));
    }
    const int current = list_->indexOfTopLevelItem(list_->currentItem());
    description_->setText(current >= 0 ? plan.Describe(current) : QString());
}

QString FieldsPage::Assignment(int row) const {
    const QTreeWidgetItem* item = list_->topLevelItem(row);
    return item ? item->data(1, Qt::UserRole).toString() : QString();
}

void FieldsPage::Assign(int row, const QString& field) {
    QTreeWidgetItem* item = list_->topLevelItem(row);
    if (!item) {
        return;
    }
    // A field goes into one column: the other rows that held it let it go. The address takes
    // several columns, its lines joined, and numbers that go by their kind keep going so.
    const bool several = field == QLatin1String("Address") || field == QLatin1String(kPhoneByType);
    if (!field.isEmpty() && !several) {
        for (int i = 0; i < list_->topLevelItemCount(); ++i) {
            if (i != row && Assignment(i) == field) {
                list_->topLevelItem(i)->setData(1, Qt::UserRole, QString());
            }
        }
    }
    item->setData(1, Qt::UserRole, field);
    ShowAssignments();
    if (refusal_->isVisible()) {
        validatePage();
    }
}

void FieldsPage::EditAssignment(int row) {
    if (row < 0 || row >= list_->topLevelItemCount()) {
        return;
    }
    const std::string label =
        static_cast<size_t>(row) < settings_.columnLabels.size() ? settings_.columnLabels[row] : "";
    const bool byType =
        settings_.firstLineHasNames && MeaningOfColumn(label).role == ColumnMeaning::Role::Typed;
    FieldAssignDialog dialog(this, settings_.availableFields, Assignment(row),
                             list_->topLevelItem(row)->text(0), byType);
    if (dialog.exec() == QDialog::Accepted) {
        Assign(row, dialog.Chosen());
    }
}

bool FieldsPage::validatePage() {
    settings_.selectedFields.clear();
    if (!settings_.IsImport()) {
        for (int i = 0; i < list_->topLevelItemCount(); ++i) {
            if (list_->topLevelItem(i)->checkState(0) == Qt::Checked) {
                settings_.selectedFields.push_back(list_->topLevelItem(i)->text(0).toStdString());
            }
        }
        // A file of empty lines is no export.
        if (settings_.selectedFields.empty()) {
            refusal_->setText(tr("Tick at least one field to export."));
            refusal_->show();
            return false;
        }
        refusal_->hide();
        return true;
    }
    settings_.selectedFields = Assignments();
    for (const std::string& required : settings_.requiredFields) {
        if (std::find(settings_.selectedFields.begin(), settings_.selectedFields.end(), required) ==
            settings_.selectedFields.end()) {
            refusal_->setText(
                tr("Assign a column to %1 to finish.").arg(QString::fromStdString(required)));
            refusal_->show();
            return false;
        }
    }
    refusal_->hide();
    return true;
}

// ---- TransferWizard

TransferWizard::TransferWizard(QWidget* owner, TransferSettings& settings, const QString& title)
    : QWizard(owner, platform::kDialogFlags), title_(title) {
    setFont(platform::DialogFont());
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setWindowTitle(title);
    document_ = new SelectDocumentPage(settings);
    structure_ = new DocumentStructurePage(settings);
    fields_ = new FieldsPage(settings);
    addPage(document_);
    addPage(structure_);
    addPage(fields_);
    // Each page puts its own caption in the title bar when it comes up.
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (auto* page = qobject_cast<TransferPage*>(this->page(id))) {
            setWindowTitle(page->Caption());
        }
    });
    help::InstallPopupHelp(this, help::HelpFilePath(), WizardPopups());
    // The page that explains the wizard; the caption's help button is not on every desktop.
    setOption(QWizard::HaveHelpButton, true);
    connect(this, &QWizard::helpRequested, this, [this] {
        help::ShowTopic(this, help::TopicReference(QString::fromLatin1(help::kTransferTopic)));
    });
    // As large as the pages need, not the larger size a wizard takes by default.
}

// ---- FieldAssignDialog

FieldAssignDialog::FieldAssignDialog(QWidget* owner, const std::vector<std::string>& fields,
                                     const QString& assigned, const QString& column, bool byType)
    : QDialog(owner, platform::kDialogFlags) {
    setFont(platform::DialogFont());
    setWindowTitle(tr("Fields"));
    const platform::DialogUnits units(font());
    setFixedSize(units.X(186), units.Y(64));

    label_ = new QLabel(tr("Assign the column \"%1\" to:").arg(column), this);
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    platform::SetControlId(label_, kAssignLabel);
    units.Place(label_, 7, 4, 172, 17);
    list_ = new QComboBox(this);
    platform::SetControlId(list_, kAssignList);
    units.Place(list_, 7, 24, 172, 12);
    // Choosing a field is importing the column into it; the first entry leaves it out.
    list_->addItem(Texts::tr(kNotImported), QString());
    for (const std::string& field : fields) {
        list_->addItem(QString::fromStdString(field), QString::fromStdString(field));
    }
    if (byType || assigned == QLatin1String(kPhoneByType)) {
        list_->addItem(Texts::tr(kPhoneByType), QString::fromLatin1(kPhoneByType));
    }
    label_->setBuddy(list_);
    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                75, 44, 50, 14);
    ok_->setDefault(true);
    cancel_ = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2, 129, 44, 50, 14);

    list_->setCurrentIndex(std::max(0, list_->findData(assigned)));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    help::InstallPopupHelp(
        this, help::HelpFilePath(),
        {{kAssignList, 5000}, {kAssignLabel, 5000}, {1, 1000}, {2, 1001}, {0, 0}});
    // Centred on its owner's window.
    if (owner) {
        QRect frame(QPoint(), size());
        frame.moveCenter(owner->window()->frameGeometry().center());
        move(frame.topLeft());
    }
}

QString FieldAssignDialog::Chosen() const {
    return list_->currentData().toString();
}

}  // namespace transfer
