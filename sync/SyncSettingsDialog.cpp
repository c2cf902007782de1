#include "SyncSettingsDialog.h"

#include <algorithm>
#include <iterator>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

#include "DialogUnits.h"
#include "HelpViewer.h"
#include "Settings.h"

namespace syncui {

namespace {

constexpr char kMinutesKey[] = "SyncInterval";
constexpr char kAtOpenKey[] = "SyncAtOpen";
constexpr char kAfterEditKey[] = "SyncAfterEdit";

}  // namespace

AutoSyncSettings AutoSyncSettings::Read() {
    const auto settings = OpenSettingsKey(QString::fromLatin1(kSettingsKey));
    AutoSyncSettings out;
    bool ok = false;
    const int minutes = settings->value(QLatin1String(kMinutesKey)).toInt(&ok);
    // A value written by hand that is not offered falls back to the default.
    if (ok &&
        std::find(std::begin(kIntervals), std::end(kIntervals), minutes) != std::end(kIntervals)) {
        out.minutes = minutes;
    }
    out.atOpen = settings->value(QLatin1String(kAtOpenKey), true).toBool();
    out.afterEdit = settings->value(QLatin1String(kAfterEditKey), true).toBool();
    return out;
}

void AutoSyncSettings::Write() const {
    const auto settings = OpenSettingsKey(QString::fromLatin1(kSettingsKey));
    settings->setValue(QLatin1String(kMinutesKey), minutes);
    settings->setValue(QLatin1String(kAtOpenKey), atOpen);
    settings->setValue(QLatin1String(kAfterEditKey), afterEdit);
}

SyncSettingsDialog::SyncSettingsDialog(QWidget* owner, const AutoSyncSettings& settings)
    : QDialog(owner, platform::kDialogFlags) {
    setWindowTitle(tr("Sync Settings"));
    setFont(platform::DialogFont());
    const platform::DialogUnits units(font());
    setFixedSize(units.X(220), units.Y(94));

    auto* text = new QLabel(tr("A linked book syncs by itself while it is open:"), this);
    text->setTextFormat(Qt::PlainText);
    units.Place(text, 7, 7, 206, 8);
    auto* label = new QLabel(tr("Sync &every:"), this);
    units.Place(label, 7, 23, 60, 8);
    interval_ = new QComboBox(this);
    for (int minutes : AutoSyncSettings::kIntervals) {
        interval_->addItem(minutes == 0 ? tr("Off") : tr("%1 minutes").arg(minutes), minutes);
    }
    interval_->setCurrentIndex(std::max(0, interval_->findData(settings.minutes)));
    units.Place(interval_, 70, 21, 80, 12);
    label->setBuddy(interval_);
    atOpen_ = new QCheckBox(tr("Sync when the book is &opened"), this);
    atOpen_->setChecked(settings.atOpen);
    units.Place(atOpen_, 7, 39, 206, 10);
    afterEdit_ = new QCheckBox(tr("Sync a few seconds after each &change"), this);
    afterEdit_->setChecked(settings.afterEdit);
    units.Place(afterEdit_, 7, 53, 206, 10);

    ok_ = platform::PlaceButton(this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "OK"), 1,
                                55, 73, 50, 14);
    ok_->setDefault(true);
    QPushButton* cancel = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "Cancel"), 2, 109, 73, 50, 14);
    QPushButton* help = platform::PlaceButton(
        this, units, QT_TRANSLATE_NOOP("platform::DialogButton", "&Help..."), 3, 163, 73, 50, 14);
    connect(ok_, &QPushButton::clicked, this, &SyncSettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SyncSettingsDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        help::ShowTopic(this, help::TopicReference(QString::fromLatin1(help::kSyncSettingsTopic)));
    });
}

AutoSyncSettings SyncSettingsDialog::Chosen() const {
    AutoSyncSettings out;
    out.minutes = interval_->currentData().toInt();
    out.atOpen = atOpen_->isChecked();
    out.afterEdit = afterEdit_->isChecked();
    return out;
}

}  // namespace syncui
