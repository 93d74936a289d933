#include "app/Startup.h"
#include "core/analysis/ParetoColumns.h"
#include "ui/sheetview/ParetoOptionsDialog.h"

#include "engines/embedded/EmbeddedApplication.h"
#include "engines/embedded/EmbeddedHost.h"
#include "engines/embedded/FileRefusal.h"

#include "ui/analysis/AnalysisForm.h"
#include "excel/Error.h"
#include "excel/RunningApplications.h"
#include "ui/forms/About.h"
#include "core/platform/ProductAddresses.h"
#include "ui/platform/FileDialogs.h"
#include "ui/platform/RangeInputDialog.h"
#include "ui/platform/Shell.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

Startup::Startup(QObject* parent)
    : QObject(parent)
    , showMessage([](const QString& text) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tallyvane"), text, QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
    })
    , openAddress(&platform::openAddress)
    , askWorkbookFile([] { return platform::askWorkbookToOpen(nullptr); })
    , askParetoOptions([](const analysis::ParetoOptions& options, const QString& workbook)
                           -> std::optional<analysis::ParetoOptions> {
        sheetview::ParetoOptionsDialog dialog(options);
        dialog.setWindowTitle(QStringLiteral("Pareto options of %1").arg(workbook));
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        QString error;
        return dialog.options(error);
    }) {}

void Startup::Main(const QString& argument) {
    if (argument == QLatin1String("/612")) {
        forms::About& about = forms::About::instance();
        // One connection per About window (a closed one is made anew).
        if (!about.property("startupConnected").toBool()) {
            connect(&about, &forms::About::webSiteOpened, this,
                    [this] { m_session.ExcelApp.reset(); });
            about.setProperty("startupConnected", true);
        }
        about.show();
    } else if (argument == QLatin1String("/1003")) {
        OpenHelpPage();
    } else if (argument == QLatin1String("/613")) {
        OpenContactPage();
    } else if (argument == QLatin1String("--office-options")) {
        ChooseOfficeOptions();
    } else {
        AttachToExcel(argument);
    }
}

std::shared_ptr<excel::Application> Startup::officeApplication() {
    if (!attachOffice)
        throw excel::Error(QStringLiteral("Office"),
                           QStringLiteral("This Tallyvane was built without LibreOffice support."));
    return attachOffice();
}

void Startup::ChooseOfficeOptions() {
    try {
        const auto app = officeApplication();
        const auto book = app->ActiveWorkbook();
        if (!book) {
            showMessage(QStringLiteral("An Excel instance found but no Activeworkbook"));
            return;
        }
        if (const auto chosen = askParetoOptions(analysis::sessionOptions(*book), book->Name()))
            analysis::setSessionOptions(*book, *chosen);
        app->endSession();
    } catch (const excel::Error& e) {
        showMessage(e.message());
    }
}

QList<sheetview::WorkbookWindow*> Startup::workbookWindows() const {
    QList<sheetview::WorkbookWindow*> out;
    for (const auto& w : m_bookWindows) {
        if (w)
            out << w.data();
    }
    return out;
}

void Startup::AttachToExcel(const QString& argument) {
    std::shared_ptr<excel::Application> app;
    // A workbook on screen is the spreadsheet that is running: the analysis attaches to the
    // workbook window that was active last.
    if (m_bookWindow)
        app = m_bookWindow->application();
    try {
        // A workbook file is read on a worker thread while the user sees its progress; whatever
        // else the argument names is found as it was.
        const auto open = [this](const QString& arg) -> std::shared_ptr<excel::Application> {
            if (arg == QLatin1String("--office"))
                return officeApplication();
            // A spreadsheet running apart from us (LibreOffice) that has the workbook open, or
            // the one the user works in when nothing is named, comes first.
            if (auto running = excel::activeApplication(arg, 1))
                return running;
            const QString path = excel::workbookPathFromArgument(arg);
            if (!path.isEmpty() && QFileInfo(path).isFile() && !embedded::runningHost(path))
                return readInBackground(path);
            return excel::activeApplication(arg);
        };
        if (!app)
            app = open(argument);
        if (!app && argument.isEmpty()) {
            // Nothing named and nothing running: the user picks a workbook to host.
            const QString chosen = askWorkbookFile();
            if (!chosen.isEmpty())
                app = open(chosen);
        }
    } catch (const embedded::ReadCancelled&) {
        return; // the user stopped the read: nothing is open
    } catch (const excel::Error& e) {
        // The argument named a workbook that cannot be hosted: the reason, not "none found".
        showMessage(e.message());
        return;
    }
    if (!app) {
        showMessage(QStringLiteral("No running Excel instance found"));
        return;
    }
    std::shared_ptr<excel::Workbook> book;
    try {
        book = m_bookWindow && m_bookWindow->application() == app ? m_bookWindow->workbook()
                                                                   : app->ActiveWorkbook();
    } catch (const excel::Error&) {
    }
    if (!book) {
        showMessage(QStringLiteral("An Excel instance found but no Activeworkbook"));
        return;
    }
    // Attached again while the analysis window is open: that window shows again, the workbook
    // window stays as it is.
    if (!m_form)
        showWorkbook(app, book);
    openAnalysis(app, book);
}

void Startup::openAnalysis(const std::shared_ptr<excel::Application>& app,
                           const std::shared_ptr<excel::Workbook>& book) {
    m_session.ExcelApp = app;
    m_session.SourceWorkbook = book;
    // The host's range input box: a window of this program, unless the spreadsheet asks in its
    // own window (an office). With the workbook on screen, the range is picked in its window.
    if (!app->hasRangeInputHandler()) {
        // The spreadsheet's main window is the workbook window on screen.
        app->setMainWindowActivator([this] {
            if (m_bookWindow) {
                m_bookWindow->show();
                m_bookWindow->raise();
                m_bookWindow->activateWindow();
            }
        });
        app->setRangeInputHandler(
            [this](excel::Application& a, const QString& prompt, const QString& title) {
                if (m_bookWindow)
                    return platform::RangeInputDialog::pickIn(a, prompt, title, m_bookWindow->grid(),
                                                              m_bookWindow->model(), m_bookWindow);
                return platform::RangeInputDialog::ask(a, prompt, title);
            });
    }
    m_session.LaunchedFromExcel = true;
    if (m_form) {
        // Attached again: the window that is open shows again, not loaded anew.
        m_form->show();
        m_form->raise();
        m_form->activateWindow();
        return;
    }
    m_form = new analysis::AnalysisForm(m_session);
    m_form->setAttribute(Qt::WA_DeleteOnClose);
    restorePlace(m_form, kAnalysisWindowPlace, false); // the window keeps its own size
    // With the workbook on screen, the analysis window unloads and the workbook stays; the
    // program ends with the workbook window.
    connect(m_form, &analysis::AnalysisForm::unloaded, this, [this] {
        savePlace(m_form, kAnalysisWindowPlace);
        if (!m_bookWindow)
            emit finished();
    });
    connect(m_form, &analysis::AnalysisForm::programEnded, this, &Startup::finished);
    m_form->load();
}

void Startup::analyseIn(sheetview::WorkbookWindow* window) {
    // One analysis window at a time: asked again, it comes to the front; on another workbook,
    // the user is told which one it works on.
    if (m_form && m_form->isVisible()) {
        if (m_session.SourceWorkbook != window->workbook())
            window->statusBar()->showMessage(
                QStringLiteral("The analysis window works on %1; close it to analyse %2.")
                    .arg(m_session.SourceWorkbook ? m_session.SourceWorkbook->Name() : QString(),
                         window->workbook()->Name()));
        m_form->show();
        m_form->raise();
        m_form->activateWindow();
        return;
    }
    m_bookWindow = window;
    window->workbook()->Activate();
    openAnalysis(window->application(), window->workbook());
}

void Startup::quit() {
    // Each window asks about its own changes; a Cancel keeps it, and the program with it. The
    // last one to close ends the program (see windowClosed).
    for (sheetview::WorkbookWindow* w : workbookWindows()) {
        if (!w->close())
            return;
    }
}

std::shared_ptr<excel::Application> Startup::readInBackground(const QString& path) {
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancelled{false};
    embedded::ReadLimits limits;
    limits.progress = [&](qint64 d, qint64 t) {
        done = d;
        total = t;
        return !cancelled.load();
    };
    std::optional<embedded::WorkbookData> data;
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            data = embedded::readWorkbookFile(path, limits);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QProgressDialog progress(
        QStringLiteral("Opening \"%1\"...").arg(QFileInfo(path).fileName()),
        QStringLiteral("Cancel"), 0, 1000);
    progress.setWindowTitle(QStringLiteral("Tallyvane"));
    progress.setObjectName(QStringLiteral("Opening"));
    progress.setMinimumDuration(300); // a quick read shows no window
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    connect(&progress, &QProgressDialog::canceled, [&] { cancelled = true; });
    QTimer tick;
    tick.setInterval(50);
    connect(&tick, &QTimer::timeout, [&] {
        if (progress.wasCanceled())
            cancelled = true;
        if (total > 0)
            progress.setValue(int(std::min<qint64>(999, 1000 * done / total)));
    });
    if (onOpening)
        onOpening(&progress);
    cancelled = progress.wasCanceled();
    QEventLoop wait;
    connect(worker.get(), &QThread::finished, &wait, &QEventLoop::quit);
    worker->start();
    tick.start();
    wait.exec();
    worker->wait();
    // A cancel the read did not see in time still leaves nothing open.
    if (progress.wasCanceled() || cancelled)
        throw embedded::ReadCancelled(QFileInfo(path).fileName());
    if (failure)
        std::rethrow_exception(failure);
    return embedded::hostWorkbook(path, std::move(*data));
}

void Startup::showWorkbook(const std::shared_ptr<excel::Application>& app,
                           const std::shared_ptr<excel::Workbook>& book) {
    // The embedded host is our spreadsheet: its workbook goes on screen, and it is saved only
    // when the user says so there.
    const auto host = std::dynamic_pointer_cast<embedded::EmbeddedApplication>(app);
    if (!host)
        return;
    for (sheetview::WorkbookWindow* w : workbookWindows()) {
        if (w->workbook() == book) {
            w->show();
            w->raise();
            w->activateWindow();
            m_bookWindow = w;
            return;
        }
    }
    host->setSavesAtEnd(false);
    auto* window = new sheetview::WorkbookWindow(app, book);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The first workbook window where the user left the last one; others where the window
    // system puts them, so that they do not cover it.
    if (workbookWindows().isEmpty())
        restorePlace(window, kWorkbookWindowPlace, true);
    connect(window, &sheetview::WorkbookWindow::closed, this, [this, window] {
        savePlace(window, kWorkbookWindowPlace);
        windowClosed(window);
    });
    connect(window, &sheetview::WorkbookWindow::activated, this,
            [this, window] { m_bookWindow = window; });
    connect(window, &sheetview::WorkbookWindow::openRequested, this, &Startup::openAnother);
    connect(window, &sheetview::WorkbookWindow::analysisRequested, this,
            [this, window] { analyseIn(window); });
    connect(window, &sheetview::WorkbookWindow::quitRequested, this, &Startup::quit);
    m_bookWindows << window;
    m_bookWindow = window;
    window->show();
}

void Startup::savePlace(QWidget* window, const char* key) {
    if (!window || window->isMinimized())
        return;
    QSettings settings;
    settings.setValue(QLatin1String(key), window->geometry());
    settings.setValue(QLatin1String(key) + QStringLiteral("Maximized"), window->isMaximized());
}

void Startup::restorePlace(QWidget* window, const char* key, bool withSize) {
    const QSettings settings;
    QRect place = settings.value(QLatin1String(key)).toRect();
    if (!place.isValid())
        return;
    // Screens come and go: the place is moved onto the screen nearest to it (the whole screen
    // where it is smaller), so that the caption can always be reached.
    QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen) {
        int nearest = std::numeric_limits<int>::max();
        for (QScreen* s : QGuiApplication::screens()) {
            const QPoint d = s->availableGeometry().center() - place.center();
            if (d.manhattanLength() < nearest) {
                nearest = d.manhattanLength();
                screen = s;
            }
        }
    }
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QSize size = withSize ? place.size().boundedTo(room.size()) : window->size();
    place.setSize(size);
    place.moveLeft(std::clamp(place.left(), room.left(),
                              std::max(room.left(), room.right() - size.width() + 1)));
    place.moveTop(std::clamp(place.top(), room.top(),
                             std::max(room.top(), room.bottom() - size.height() + 1)));
    if (withSize)
        window->setGeometry(place);
    else
        window->move(place.topLeft());
    if (settings.value(QLatin1String(key) + QStringLiteral("Maximized")).toBool())
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void Startup::openAnother(const QString& path) {
    try {
        std::shared_ptr<excel::Application> app = embedded::runningHost(path);
        if (!app)
            app = readInBackground(path);
        showWorkbook(app, app->ActiveWorkbook());
    } catch (const embedded::ReadCancelled&) {
    } catch (const excel::Error& e) {
        showMessage(e.message());
    }
}

void Startup::windowClosed(sheetview::WorkbookWindow* window) {
    m_bookWindows.removeAll(window);
    const QList<sheetview::WorkbookWindow*> left = workbookWindows();
    if (m_bookWindow == window || !m_bookWindow)
        m_bookWindow = left.isEmpty() ? nullptr : left.back();
    if (!left.isEmpty())
        return;
    // The last workbook window closes: the analysis goes with it (its unload ends the program
    // then), and the program ends.
    if (m_form && m_form->isVisible())
        m_form->close();
    else
        emit finished();
}

void Startup::OpenHelpPage() {
    openAddress(platform::kHelpPage);
}

void Startup::OpenContactPage() {
    openAddress(platform::kContactPage);
}
