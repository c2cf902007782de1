// Times what a user of the main view feels on generated address books of 10,000, 100,000 and
// 1,000,000 persons with ten contacts each, next to the sqlite3 shell in the same run:
//
//   - reload: the person list read and shown, against the shell running the same query;
//   - selection: a person chosen in the list (details and contact list), with no contact row
//     selected and with one selected;
//   - start-up: a new process showing the main window with the file, to its first paint;
//   - peak memory: a new process with the file open and its list loaded, against the shell.
//
// Goals: reload at or below the shell, a selection with a contact row selected under 5 ms,
// start-up under 100 ms, peak memory with 100,000 persons under 120 MB.
//
//   main_view_bench [--no-million] [folder]   (files are generated there once and kept;
//                                              default: ./bench-data)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "AddressBook.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "ListModels.h"
#include "MainFrame.h"
#include "MainView.h"
#include "Spread.h"
#include "Transaction.h"

extern char** environ;

namespace {

// Rows made by the engine itself: a million persons take seconds, not minutes.
void Generate(const std::string& path, int persons, int contactsEach) {
    CreateDatabaseFile(path);
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    st.Execute("PRAGMA cache_size = -262144");
    cppsqlite3::Transaction transaction(st);
    // An identifier in the program's form from a number, scattered so that list order and
    // insertion order differ.
    const std::string id =
        "printf('%08X-%04X-%04X-%012X', (n * 2654435761) % 4294967291, n % 65521, "
        "(n * 40503) % 65521, n * 7919)";
    st.Execute("WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < " +
               std::to_string(persons) + ") INSERT INTO Person SELECT " + id +
               ", 'Mx.', substr('AnnBobCy DeeEveFinGusHal', 1 + 3 * (n % 8), 3), "
               "rtrim(substr('Smith   O''Brien Jones   Garcia  Miller  ', 1 + 8 * ((n * 7) % 5), "
               "8)) || ((n * 48271) % 5000), 'Company ' || ((n * 16807) % 900), 'Position', "
               "'1 Main St' || char(13, 10) || 'Suite 2', 'City', 'ST', '12345', '555-0100', "
               "'555-0101', '12', '555-0102', '', '555-0103', 'someone@example.com', "
               "'www.example.com', datetime('now', 'localtime') FROM k");
    static const char* const types[] = {
        "9DC618A3-8452-4D33-A70BDB1C91FE", "03F6262A-4362-44A9-B770293650BB",
        "787CA2CE-1099-4127-8AED83ECA59B", "B672E21B-848D-430C-98240E6DA171"};
    st.Execute("WITH RECURSIVE c(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM c WHERE j < " +
               std::to_string(contactsEach - 1) +
               ") INSERT INTO Contact SELECT printf('%08X-%04X-%04X-%012X', "
               "(Person.rowid * 31 + j) * 2246822519 % 4294967291, j, Person.rowid % 65521, "
               "Person.rowid * 16 + j), Person.ID, printf('20%02d-%02d-%02d %02d:%02d:00', "
               "(Person.rowid + j * 7) % 26, 1 + (Person.rowid * 3 + j) % 12, 1 + (Person.rowid "
               "+ j * 5) % 28, (Person.rowid + j) % 24, (Person.rowid * 7 + j) % 60), 'Talked "
               "about the order and the next visit', CASE (Person.rowid + j) % 4 WHEN 0 THEN '" +
               std::string(types[0]) + "' WHEN 1 THEN '" + types[1] + "' WHEN 2 THEN '" + types[2] +
               "' ELSE '" + types[3] + "' END, datetime('now', 'localtime') FROM Person, c");
    transaction.Commit();
}

void Print(const char* what, const Spread& s, const char* unit = "ms") {
    std::printf("  %-44s min %8.2f  median %8.2f  max %8.2f %s\n", what, s.min, s.median, s.max,
                unit);
}

// Runs a program, waits for it and gives its wall time in ms and its peak memory in MB.
std::pair<double, double> RunChild(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& extraEnvironment) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        env.emplace_back(*e);
    }
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return {-1, -1};
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return {timer.nsecsElapsed() / 1e6, usage.ru_maxrss / 1024.0};
}

double ShellMs(const std::string& path, const std::string& query) {
    return RunChild({"/usr/bin/sqlite3", path, query}, {}).first;
}

// A process's peak memory as the kernel counts it includes what its parent had when it started;
// a small process in between starts the measured one afresh and reports its time and memory.
std::pair<double, double> Measure(const std::string& self, std::vector<std::string> arguments,
                                  const std::vector<std::string>& extraEnvironment) {
    QStringList args = {QStringLiteral("--measure")};
    for (const std::string& a : arguments) {
        args << QString::fromStdString(a);
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const std::string& e : extraEnvironment) {
        const size_t eq = e.find('=');
        env.insert(QString::fromStdString(e.substr(0, eq)),
                   QString::fromStdString(e.substr(eq + 1)));
    }
    process.setProcessEnvironment(env);
    process.start(QString::fromStdString(self), args);
    process.waitForFinished(-1);
    const QList<QByteArray> figures = process.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 2) {
        return {-1, -1};
    }
    return {figures[0].toDouble(), figures[1].toDouble()};
}

// The child: the program's main window with the file, ended at its first paint or once the
// list is loaded.
int Child(const std::string& path, bool untilLoaded) {
    MainFrame frame(MainFrame::Options{false});
    // Ends the process as soon as the view's first paint is done, before anything queued.
    struct PaintWatch : QObject {
        bool inside = false;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() != QEvent::Paint || inside) {
                return false;
            }
            inside = true;
            QCoreApplication::sendEvent(watched, event);
            std::fflush(nullptr);
            std::_Exit(0);
        }
    } watch;
    if (untilLoaded) {
        auto* poll = new QTimer(&frame);
        QObject::connect(poll, &QTimer::timeout, [&frame] {
            if (!frame.View()->PersonRows().Rows().empty()) {
                QCoreApplication::quit();
            }
        });
        poll->start(1);
    }
    if (!frame.Start(QString::fromStdString(path))) {
        return 1;
    }
    if (!untilLoaded) {
        // Installed last, so asked first.
        frame.View()->installEventFilter(&watch);
    }
    return QApplication::exec();
}

void Run(const std::string& self, const std::string& path, int persons) {
    std::printf("%d persons, %d contacts (%s, %.0f MB)\n", persons, persons * 10, path.c_str(),
                QFileInfo(QString::fromStdString(path)).size() / 1048576.0);
    MainView view;
    view.OnPathChanged(path);
    view.resize(view.FormSize());
    view.show();
    QApplication::processEvents();
    const std::string query = PersonListQuery(PersonOrder::ByName);

    const int rounds = persons >= 1000000 ? 3 : 7;
    std::vector<double> reload, shell;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        view.Reload();
        QApplication::processEvents();
        reload.push_back(t.nsecsElapsed() / 1e6);
        shell.push_back(ShellMs(path, query));
    }
    const Spread r = Summary(reload), s = Summary(shell);
    Print("reload", r);
    Print("sqlite3 shell, same query", s);
    std::printf("  %-44s %.2f (min/min %.2f)\n", "reload / shell (median)", r.median / s.median,
                r.min / s.min);

    std::mt19937 random(7);
    QTreeView* list = view.PersonList();
    QTreeView* contacts = view.ContactList();
    auto choose = [](QTreeView* l, int row) {
        l->selectionModel()->select(l->model()->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
        QApplication::processEvents();
    };
    std::vector<double> plain, withContact;
    for (int i = 0; i < 25; ++i) {
        QElapsedTimer t;
        t.start();
        choose(list, int(random() % persons));
        plain.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 25; ++i) {
        choose(contacts, int(random() % 10));
        if (view.SelectedContactRow() < 0) {
            std::printf("  no contact row selected\n");
        }
        QElapsedTimer t;
        t.start();
        choose(list, int(random() % persons));
        withContact.push_back(t.nsecsElapsed() / 1e6);
    }
    Print("selection", Summary(plain));
    Print("selection with a contact row selected", Summary(withContact));
    // Where a selection's time goes: the two reads, the rest is showing them.
    std::vector<double> person, contactList;
    for (int i = 0; i < 25; ++i) {
        const RecordId id(view.PersonRows().Rows().Id(random() % persons));
        QElapsedTimer t;
        t.start();
        PersonRecord p;
        LoadPerson(path, id, p);
        person.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        ContactRowList rows;
        LoadContactList(path, id, ContactOrder::ByDate, rows);
        contactList.push_back(t.nsecsElapsed() / 1e6);
    }
    Print("  of which: the person's details read", Summary(person));
    Print("  of which: the contact list read", Summary(contactList));

    std::vector<double> startup, startupEmpty, memory, shellMemory;
    for (int i = 0; i < 5; ++i) {
        // Settings of their own each time: no recent file is opened instead of the one named.
        auto fresh = [] {
            auto settings = std::make_shared<QTemporaryDir>();
            return std::make_pair(
                settings,
                std::vector<std::string>{
                    "XDG_CONFIG_HOME=" + settings->path().toStdString(),
                    "QT_QPA_PLATFORM=" +
                        qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen").toStdString()});
        };
        startup.push_back(Measure(self, {self, "--child-paint", path}, fresh().second).first);
        startupEmpty.push_back(Measure(self, {self, "--child-paint", ""}, fresh().second).first);
        memory.push_back(Measure(self, {self, "--child-loaded", path}, fresh().second).second);
        shellMemory.push_back(Measure(self, {"/usr/bin/sqlite3", path, query}, {}).second);
    }
    Print("start-up to the first paint", Summary(startup));
    Print("start-up to the first paint, no file", Summary(startupEmpty));
    Print("peak memory, list loaded", Summary(memory), "MB");
    Print("peak memory, sqlite3 shell, same query", Summary(shellMemory), "MB");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 2 && std::strcmp(argv[1], "--measure") == 0) {
        const std::pair<double, double> m =
            RunChild(std::vector<std::string>(argv + 2, argv + argc), {});
        std::printf("%.3f %.3f\n", m.first, m.second);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 3 && (std::strcmp(argv[1], "--child-paint") == 0 ||
                      std::strcmp(argv[1], "--child-loaded") == 0)) {
        QApplication app(argc, argv);
        return Child(argv[2], std::strcmp(argv[1], "--child-loaded") == 0);
    }
    QApplication app(argc, argv);
    bool million = true;
    QString folder = QStringLiteral("bench-data");
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-million") == 0) {
            million = false;
        } else {
            folder = QString::fromLocal8Bit(argv[i]);
        }
    }
    QDir().mkpath(folder);
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    std::vector<int> sizes = {10000, 100000};
    if (million) {
        sizes.push_back(1000000);
    }
    for (int persons : sizes) {
        const std::string path =
            QDir(folder).filePath(QStringLiteral("book-%1.tch").arg(persons)).toStdString();
        if (!QFileInfo::exists(QString::fromStdString(path))) {
            std::printf("generating %s ...\n", path.c_str());
            std::fflush(stdout);
            QElapsedTimer t;
            t.start();
            Generate(path, persons, 10);
            std::printf("  %.1f s\n", t.elapsed() / 1000.0);
        }
        Run(self, path, persons);
    }
    return 0;
}
