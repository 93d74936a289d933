// The analysis window's controls as designed: names, texts, colours, and places in twips.

#include "ui/analysis/AnalysisForm.h"
#include "ui/controls/ProgressBar.h"
#include "ui/controls/ThemedButton.h"
#include "ui/controls/TitelBar.h"
#include "ui/forms/ProgramLook.h"
#include "ui/platform/Pictures.h"
#include "ui/platform/Twips.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>

namespace analysis {

namespace {

// Left, top, width and height in twips, from the client area's top-left corner.
struct Place {
    int left, top, width, height;
};

template <typename W>
W* place(QWidget* form, W* w, const char* name, Place p) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(platform::twipsRect(form, p.left, p.top, p.width, p.height));
    return w;
}

QLabel* label(QWidget* form, const char* name, const QString& text, Place p) {
    return place(form, new QLabel(text, form), name, p);
}

// The form's buttons: picture-skin look without skin pictures, flat in their back colour and
// light grey under the pointer.
controls::ThemedButton* button(QWidget* form, const char* name, const QString& text, Place p,
                               const QColor& back, const QColor& fore = Qt::white) {
    auto* b = place(form, new controls::ThemedButton(form, QString::fromLatin1(name)), name, p);
    b->setButtonThemeType(1);
    b->setBackColor(controls::toColorValue(back));
    b->setForeColor(controls::toColorValue(fore));
    b->setCaption(text);
    return b;
}

controls::ThemedButton* pictureButton(QWidget* form, const char* name, const QPixmap& picture,
                                      Place p, int align, int size = 2) {
    auto* b = button(form, name, QString(), p, Qt::white);
    b->setPicture(picture.toImage());
    b->setPictureSize(size);
    b->setPictureAlign(align);
    return b;
}

void messageLabel(QLabel* l) {
    l->setStyleSheet(QStringLiteral("color: #c00000;"));
    l->hide();
}

} // namespace

void AnalysisForm::buildControls() {
    const QColor lavender(192, 192, 255);
    const QColor charcoal(64, 64, 64);
    // On a screen too small for the window as designed (a small one, or a large scale factor),
    // the whole layout is drawn smaller, so that every control stays on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        const double scale = std::min({1.0, room.width() / (9240.0 * logicalDpiX() / 1440),
                                       room.height() / (9564.0 * logicalDpiY() / 1440)});
        if (scale < 1)
            setProperty("twipsScale", scale);
    }
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSizeF(7.8 * platform::twipsScale(this));
    setFont(tahoma);
    setFixedSize(platform::twipsToPixels(this, 9240), platform::twipsToPixelsY(this, 9564));

    auto* caption = place(this, new controls::TitelBar(this), "TitelBar1", {0, 0, 9240, 492});
    forms::styleCaptionBar(caption, QStringLiteral("Tallyvane 2.1"));

    QLabel* product = label(this, "Label1", QStringLiteral("Tallyvane"), {2040, 600, 4788, 492});
    product->setAlignment(Qt::AlignCenter);
    place(this, new QFrame(this), "Frame1", {360, 1200, 7572, 852})->setFrameShape(QFrame::Box);
    label(this, "Label4_0", QStringLiteral("Select the range to query"), {1200, 1224, 3132, 252});
    auto* inputButton =
        pictureButton(this, "InputButton1", platform::rangePicture(28), {480, 1320, 612, 612}, 2);
    connect(inputButton, &controls::ThemedButton::Click, this, &AnalysisForm::rangeInput);
    m_inputRange = place(this, new QLineEdit(this), "InputRange", {1200, 1440, 6492, 492});
    m_inputRange->setReadOnly(true);

    m_erorCells = label(
        this, "ErorCells",
        QStringLiteral("*Error cells (starting with #) detected. You can't refer to such cells"),
        {720, 2040, 5652, 228});
    m_contiguousMsg = label(
        this, "ContiguousMsg1",
        QStringLiteral("*The utility does not support non contiguous range...Please try again"),
        {1200, 2040, 5652, 228});
    m_anotherWbkMsg =
        label(this, "AnotherWbkMsg",
              QStringLiteral("*You can't refer to another workbook from the active one..."),
              {1200, 2040, 5892, 228});
    for (QLabel* l : {m_erorCells, m_contiguousMsg, m_anotherWbkMsg})
        messageLabel(l);

    m_searchText = place(this, new QLineEdit(this), "SearchText", {6600, 2280, 1812, 300});
    m_searchText->setToolTip(
        QStringLiteral("Search a category by its name (works with a part of it)"));
    auto* searchButton =
        pictureButton(this, "Search", platform::searchPicture(24), {8520, 2280, 492, 420}, 2, 1);
    connect(searchButton, &controls::ThemedButton::Click, this, &AnalysisForm::search);
    connect(m_searchText, &QLineEdit::returnPressed, this, &AnalysisForm::search);
    m_total = label(this, "Total", QString(), {3120, 2520, 2652, 252});

    m_mainView = place(this, new platform::ListView(this), "MainListView", {120, 2760, 8772, 3012});
    m_mainView->setListModel(&m_main);
    m_busy = label(this, "Gif89a1", QString(), {3960, 2880, 768, 768});
    m_busy->setAlignment(Qt::AlignCenter);
    m_busy->setMovie(new QMovie(QStringLiteral(":/tallyvane/busy.gif"), QByteArray(), m_busy));
    m_busy->hide();
    m_progress =
        place(this, new controls::ProgressBar(this), "prbHorizontal", {2520, 3720, 4212, 372});
    m_progress->setBorderDefault(false);
    m_progress->setBorderColor(0);
    m_progress->setForeColor(controls::rgbValue(255, 255, 255));
    QFont progressFont(QStringLiteral("MS Sans Serif"));
    progressFont.setPointSizeF(8 * platform::twipsScale(this));
    m_progress->setFontProperty(progressFont);
    m_progress->hide();

    label(this, "Label5",
          QStringLiteral(
              "* Double click on a category to remove it from the list and refresh the view"),
          {120, 5880, 5292, 252});
    auto* statsButton =
        button(this, "Stats", QStringLiteral("Stats"), {7680, 6120, 612, 252}, lavender);
    connect(statsButton, &controls::ThemedButton::Click, this, &AnalysisForm::stats);
    auto* help1 =
        button(this, "Help1", QStringLiteral("?"), {8400, 6120, 252, 252}, charcoal, Qt::white);
    connect(help1, &controls::ThemedButton::Click, this, &AnalysisForm::showStatisticsHelp);
    m_statsLabel = label(this, "StatsLabel", QString(), {6120, 6480, 2892, 252});

    place(this, new QFrame(this), "Frame2", {120, 6960, 5892, 2412})->setFrameShape(QFrame::Box);
    m_includedView =
        place(this, new platform::ListView(this), "IncludedView", {360, 7080, 3852, 1932});
    m_includedView->setListModel(&m_included);
    m_nbOfCategories = label(this, "NbOfCategories", QString(), {4320, 7080, 1572, 492});
    m_nbOfCategories->setWordWrap(true);
    auto* refreshButton =
        button(this, "RefreshMe", QStringLiteral("Refresh"), {4320, 7560, 732, 252}, lavender);
    connect(refreshButton, &controls::ThemedButton::Click, this, &AnalysisForm::refresh);
    label(this, "Label4_1", QStringLiteral("Export to Excel"), {7200, 7920, 3132, 252});
    auto* copyPaste =
        pictureButton(this, "CopyPaste", platform::exportPicture(28), {7560, 8160, 612, 492}, 1);
    copyPaste->setToolTip(QStringLiteral("Copy to Excel in a newly created sheet"));
    copyPaste->setCursor(Qt::PointingHandCursor);
    connect(copyPaste, &controls::ThemedButton::Click, this, &AnalysisForm::reportAction);
    m_selectAll = place(this, new QCheckBox(this), "SelectAll", {4320, 8760, 190, 192});
    // The box of a check box without a caption is as large as the style draws it, not smaller.
    m_selectAll->resize(m_selectAll->size().expandedTo(m_selectAll->sizeHint()));
    connect(m_selectAll, &QCheckBox::clicked, this, &AnalysisForm::selectAll);
    label(this, "Label2", QStringLiteral("Select/Deselect all"), {4680, 8760, 1332, 252});
    m_includeChart = place(this, new QCheckBox(QStringLiteral("Include Pareto chart"), this),
                           "IncludeChart", {7080, 8760, 1932, 252});
    auto* help5 =
        button(this, "Help5", QStringLiteral("?"), {240, 9050, 252, 252}, charcoal, Qt::white);
    connect(help5, &controls::ThemedButton::Click, this, &AnalysisForm::showHighlightHelp);
    label(
        this, "Label3",
        QStringLiteral("* Double click on a category to highlight all its occurences in the range"),
        {600, 9099, 5052, 252});
    m_condFormat = button(this, "CondFormat", QStringLiteral("Clear highlight"),
                          {6120, 9120, 1332, 312}, lavender);
    m_condFormat->hide();
    connect(m_condFormat, &controls::ThemedButton::Click, this, &AnalysisForm::clearHighlight);
    m_includedView->viewport()->installEventFilter(this);

    // Both lists: report view, grid lines, full-row selection kept visible, no editing; the
    // header images of ImgSorted.
    for (platform::ListView* view : {m_includedView, m_mainView}) {
        view->setImages(platform::sortImages());
        view->horizontalHeader()->setSectionsClickable(true);
    }
}

} // namespace analysis
