#include "ui/analysis/ListEvents.h"

#include "ui/analysis/AnalysisForm.h"
#include "core/analysis/SortListView.h"
#include "ui/platform/Twips.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <cmath>

namespace analysis {

ListEvents::ListEvents(AnalysisForm& form, platform::ListView& included, platform::ListView& main)
    : m_form(form)
    , m_included(included)
    , m_main(main) {
    connect(main.horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ListEvents::mainHeaderClicked);
    connect(included.horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ListEvents::includedHeaderClicked);
    main.viewport()->installEventFilter(this);
    main.viewport()->setMouseTracking(true);
}

bool ListEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_main.viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mainPressed(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    case QEvent::MouseMove:
        mainMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
        return false;
    case QEvent::MouseButtonDblClick:
        mainMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
        mainDoubleClicked();
        return true;
    default:
        return false;
    }
}

void ListEvents::mainHeaderClicked(int section) {
    platform::ListViewModel& list = *m_main.listModel();
    const QString caption = list.column(section).caption;
    const bool down = list.column(section).iconKey == QLatin1String("down");
    // The two headers read their arrows in opposite senses: "down" on Category goes with
    // ascending labels, on Count with the largest count first.
    if (caption == QLatin1String("Category")) {
        list.setColumnIcon(section, down ? QStringLiteral("up") : QStringLiteral("down"));
        SortByColumn(list, section + 1, down ? 1 : 0, TextSort, m_form);
    }
    if (caption == QLatin1String("Count")) {
        list.setColumnIcon(section, down ? QStringLiteral("up") : QStringLiteral("down"));
        SortByColumn(list, 2, down ? 0 : 1, NumberSort, m_form);
    }
}

void ListEvents::includedHeaderClicked(int section) {
    platform::ListViewModel& list = *m_included.listModel();
    if (m_form.includeSortDirection == QLatin1String("D") && section == 0) {
        list.setSortOrder(0);
        list.setSortKey(0);
        m_form.includeSortDirection = QStringLiteral("A");
        return;
    }
    if (m_form.includeSortDirection == QLatin1String("A") && section == 0) {
        list.setSortOrder(1);
        list.setSortKey(0);
        m_form.includeSortDirection = QStringLiteral("D");
    }
    list.setColumnIcon(0, QStringLiteral("down"));
}

void ListEvents::mainPressed(const QPoint& point) {
    platform::ListViewModel& list = *m_main.listModel();
    const int row = m_main.hitTest(point);
    list.clearSelection();
    if (row >= 0)
        list.setSelected(row, true);
}

void ListEvents::mainMoved(const QPoint& point) {
    lastMouseX = float(platform::pixelsToTwips(&m_main, point.x()));
    lastMouseY = float(point.y() * 1440 / m_main.logicalDpiY());
}

void ListEvents::mainDoubleClicked() {
    platform::ListViewModel& results = *m_main.listModel();
    if (results.count() == 0)
        return;
    const int twipsPerPixelX = 1440 / m_main.logicalDpiX();
    const int twipsPerPixelY = 1440 / m_main.logicalDpiY();
    const QPoint point(int(std::lround(lastMouseX)) / twipsPerPixelX,
                       int(std::lround(lastMouseY)) / twipsPerPixelY);
    const int row = m_main.subItemHitTest(point);
    if (row < 0)
        return;
    const QString label = results.text(row);
    platform::ListViewModel& included = *m_included.listModel();
    for (int r = 0; r < included.count(); ++r) {
        if (included.text(r) == label) {
            included.setChecked(r, false);
            break;
        }
    }
    m_form.refresh();
}

} // namespace analysis
