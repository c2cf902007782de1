#include "MainViewPanes.h"

#include <QEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "DialogUnits.h"
#include "MainViewForm.h"

// The details scroll down, not across: a narrower pane may need more height, and says so.
class MainViewPanes::DetailsPane : public QWidget {
public:
    DetailsPane() {
        QSizePolicy policy = sizePolicy();
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    bool hasHeightForWidth() const override { return form != nullptr; }
    int heightForWidth(int width) const override {
        return form ? form->HeightFor(width) + (panes ? panes->ExtraHeight(width) : 0) : -1;
    }

    const MainViewForm* form = nullptr;
    const MainViewPanes* panes = nullptr;
};

MainViewPanes::MainViewPanes(QWidget* view) : QObject(nullptr), view_(view) {
    splitter_ = new QSplitter(Qt::Horizontal, view);
    splitter_->setChildrenCollapsible(false);
    listPane_ = new QWidget(splitter_);
    detailsScroll_ = new QScrollArea(splitter_);
    detailsScroll_->setFrameShape(QFrame::NoFrame);
    detailsScroll_->setWidgetResizable(true);
    // Tab goes through the details' own controls, not the area around them.
    detailsScroll_->setFocusPolicy(Qt::NoFocus);
    details_ = new DetailsPane;
    details_->panes = this;
    detailsScroll_->setWidget(details_);
    listLayout_ = new QVBoxLayout(listPane_);
}

MainViewPanes::~MainViewPanes() = default;

QWidget* MainViewPanes::Details() const {
    return details_;
}

void MainViewPanes::Fill(MainViewForm* form, QLineEdit* search) {
    form_ = form;
    details_->form = form;
    details_->installEventFilter(this);
    Measure();
    listLayout_->addWidget(search);
    listLayout_->addWidget(form_->personList);
    splitter_->addWidget(listPane_);
    splitter_->addWidget(detailsScroll_);
    // A wider window widens the list too, the details more, until the user gives the list a
    // width: from then on it keeps that width and the details take what is left.
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 2);
    splitter_->installEventFilter(this);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        chosenListWidth_ = splitter_->sizes().value(0);
        splitter_->setStretchFactor(0, 0);
    });
    splitter_->setSizes({form_->ListPaneSize().width(), form_->DetailsSize().width()});
    view_->installEventFilter(this);
}

void MainViewPanes::Measure() {
    const platform::DialogUnits du(view_->font());
    listLayout_->setContentsMargins(du.X(12), du.Y(7), du.X(4), du.Y(4));
    listLayout_->setSpacing(du.Y(3));
    // Short of room the details first give up a fifth of their width, then the list gives way;
    // on a screen too narrow for that (a large font on a small screen) they narrow further, and
    // then put the company and address under the phones. Their height they keep, and scroll up
    // and down; across only where not even that fits beside a usable list.
    const int extra =
        2 * detailsScroll_->frameWidth() + view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int room = view_->screen()->availableGeometry().width() * 3 / 4;
    const int sideBySide = form_->LeastSideBySideWidth() + extra;
    const int stacked = form_->LeastWidth() + extra;
    const int wanted = std::max(form_->DetailsSize().width() * 4 / 5 + extra, sideBySide);
    details_->setMinimumSize(form_->LeastWidth(),
                             form_->DetailsSize().height() + ExtraHeight(details_->width()));
    detailsScroll_->setMinimumWidth(wanted <= room       ? wanted
                                    : sideBySide <= room ? sideBySide
                                                         : std::min(stacked, room));
}

void MainViewPanes::Rescale() {
    rescalePending_ = false;
    form_->Rescale();
    Measure();
    form_->SetUpColumns();
    form_->Fit(details_->size());
    view_->updateGeometry();
}

QSize MainViewPanes::SizeHint() const {
    const QSize list = form_->ListPaneSize();
    const QSize details = form_->DetailsSize();
    const int frame = 2 * detailsScroll_->frameWidth();
    return QSize(list.width() + splitter_->handleWidth() + details.width() + frame,
                 std::max(list.height(), details.height() + frame));
}

int MainViewPanes::ListPaneWidth() const {
    // Hidden while no book is open: the width it takes when shown.
    if (!splitter_->isVisible() && chosenListWidth_ > 0) {
        return chosenListWidth_;
    }
    return splitter_->sizes().value(0);
}

int MainViewPanes::ChosenListPaneWidth() const {
    // A split never shown (no book was open) is not the user's.
    return chosenListWidth_ > 0 ? chosenListWidth_ : splitter_->isVisible() ? ListPaneWidth() : 0;
}

void MainViewPanes::SetListPaneWidth(int width) {
    chosenListWidth_ = width;
    splitter_->setStretchFactor(0, 0);
    ApplyListPaneWidth();
}

void MainViewPanes::ApplyListPaneWidth() {
    if (chosenListWidth_ <= 0) {
        return;
    }
    const QList<int> sizes = splitter_->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), chosenListWidth_ + 1);
    if (sizes.value(0) != chosenListWidth_) {
        splitter_->setSizes({chosenListWidth_, total - chosenListWidth_});
    }
}

bool MainViewPanes::eventFilter(QObject* watched, QEvent* event) {
    // A new application font: the form is laid out anew in its dialog units, once every control
    // has its new font: the desktop hands it to them one by one.
    if (watched == view_ && event->type() == QEvent::FontChange && !rescalePending_) {
        rescalePending_ = true;
        QMetaObject::invokeMethod(
            this, [this] { Rescale(); }, Qt::QueuedConnection);
    }
    // Whatever size the window takes, late or early (a maximised start), the chosen width holds
    // wherever there is room for it.
    if (watched == splitter_ && event->type() == QEvent::Resize) {
        ApplyListPaneWidth();
    }
    if (watched == details_ && event->type() == QEvent::Resize) {
        FitDetails();
        // Stacked or side by side: the height the details need may have changed with it.
        details_->updateGeometry();
    }
    // The extra widget shown, hidden or filled anew: the form makes room for it, or takes the
    // room back.
    if (watched == extra_ &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
         event->type() == QEvent::LayoutRequest)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                Measure();
                FitDetails();
                details_->updateGeometry();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void MainViewPanes::SetExtra(QWidget* extra) {
    extra_ = extra;
    extra_->setParent(details_);
    extra_->installEventFilter(this);
    FitDetails();
}

int MainViewPanes::ExtraHeight(int width) const {
    if (!extra_ || extra_->isHidden()) {
        return 0;
    }
    return extra_->hasHeightForWidth() ? extra_->heightForWidth(width)
                                       : extra_->sizeHint().height();
}

void MainViewPanes::FitDetails() {
    if (!form_) {
        return;
    }
    const QSize size = details_->size();
    const int below = ExtraHeight(size.width());
    form_->Fit(QSize(size.width(), size.height() - below));
    if (below > 0) {
        // Under the form's boxes, as wide as they are.
        const auto [left, right] = form_->Span();
        const int width = right > left ? right - left : size.width();
        extra_->setGeometry(right > left ? left : 0, size.height() - below, width, below);
    }
}
