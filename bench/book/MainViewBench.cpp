// Times the main view on generated address books: the person-list reload (with the paint that
// follows) and one person selection (details and contact list), and the sqlite3 shell running
// the reload's query on the same file. Goals: the reload within 1.5 times the shell's time, a
// selection under 20 ms on 10,000 persons.
//
//   main_view_bench [folder]     (files are generated there once; default: ./bench-data)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QProcess>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "AddressBook.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "ListModels.h"
#include "MainView.h"

namespace {

void Generate(const std::string& path, int persons, int contactsEach) {
    CreateDatabaseFile(path);
    cppsqlite3::Database db;
    db.Open(path);
    cppsqlite3::Statement& st = db.CreateStatement();
    st.Execute("BEGIN TRANSACTION");
    static const char* const last[] = {"Smith", "O'Brien", "Jones",  "Garcia",   "Miller",
                                       "Davis", "Lopez",   "Wilson", "Anderson", "Taylor"};
    static const char* const first[] = {"Ann", "Bob", "Cy", "Dee", "Eve", "Finn", "Gus", "Hal"};
    static const char* const types[] = {
        "9DC618A3-8452-4D33-A70BDB1C91FE", "03F6262A-4362-44A9-B770293650BB",
        "787CA2CE-1099-4127-8AED83ECA59B", "B672E21B-848D-430C-98240E6DA171"};
    std::mt19937 random(42);
    for (int p = 0; p < persons; ++p) {
        const RecordId id = NewRecordId();
        const std::string lname =
            std::string(last[random() % 10]) + std::to_string(random() % 5000);
        st.Execute("INSERT INTO Person VALUES('" + id + "', 'Mx.', '" + first[random() % 8] +
                   "', '" + QuoteSqlText(lname) + "', 'Company " + std::to_string(random() % 900) +
                   "', 'Position', '1 Main St\r\nSuite 2', 'City', 'ST', '12345', '555-0100', "
                   "'555-0101', '12', '555-0102', '', '555-0103', 'someone@example.com', "
                   "'www.example.com', datetime('now', 'localtime'))");
        for (int c = 0; c < contactsEach; ++c) {
            char when[32];
            std::snprintf(when, sizeof when, "20%02d-%02d-%02d %02d:%02d:00", int(random() % 26),
                          int(random() % 12 + 1), int(random() % 28 + 1), int(random() % 24),
                          int(random() % 60));
            st.Execute("INSERT INTO Contact VALUES('" + NewRecordId() + "', '" + id + "', '" +
                       when + "', 'Talked about the order and the next visit', '" +
                       types[random() % 4] + "', datetime('now', 'localtime'))");
        }
    }
    st.Execute("COMMIT");
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ShellMs(const std::string& path, const std::string& query) {
    QProcess shell;
    QElapsedTimer timer;
    timer.start();
    shell.start(QStringLiteral("sqlite3"),
                {QString::fromStdString(path), QString::fromStdString(query)});
    shell.waitForFinished(-1);
    shell.readAllStandardOutput();
    return timer.nsecsElapsed() / 1e6;
}

void Run(const std::string& path, int persons) {
    MainView view;
    view.OnPathChanged(path);
    view.resize(view.FormSize());
    view.show();
    QApplication::processEvents();
    const std::string query = PersonListQuery(PersonOrder::ByName);

    std::vector<double> reload, load, shell;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        view.Reload();
        QApplication::processEvents();
        reload.push_back(t.nsecsElapsed() / 1e6);

        std::vector<PersonRow> rows;
        t.restart();
        LoadPersonList(path, PersonOrder::ByName, rows);
        load.push_back(t.nsecsElapsed() / 1e6);

        shell.push_back(ShellMs(path, query));
    }

    std::vector<double> select;
    std::mt19937 random(7);
    QTreeView* list = view.PersonList();
    for (int i = 0; i < 25; ++i) {
        const int row = int(random() % persons);
        QElapsedTimer t;
        t.start();
        list->selectionModel()->select(
            list->model()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QApplication::processEvents();
        select.push_back(t.nsecsElapsed() / 1e6);
    }
    // Where a selection's time goes.
    std::vector<double> person, contacts, contact;
    for (int i = 0; i < 9; ++i) {
        const PersonRow& row = view.PersonRows().Rows()[random() % persons];
        QElapsedTimer t;
        t.start();
        PersonRecord p;
        LoadPerson(path, row.id, p);
        person.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        std::vector<ContactRow> rows;
        LoadContactList(path, row.id, ContactOrder::ByDate, rows);
        contacts.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        ContactDetails d;
        LoadContact(path, rows.empty() ? RecordId() : rows[0].id, d);
        contact.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf(
        "%8d persons: person details %.2f ms, contact list %.2f ms, contact details %.2f ms\n",
        persons, Median(person), Median(contacts), Median(contact));
    std::printf(
        "%8d persons: reload %8.1f ms (list query alone %7.1f ms), sqlite3 shell %7.1f ms, "
        "ratio %.2f; selection median %.2f ms, worst %.2f ms, %zu contacts shown\n",
        persons, Median(reload), Median(load), Median(shell), Median(reload) / Median(shell),
        Median(select), *std::max_element(select.begin(), select.end()),
        view.ContactRows().Rows().size());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench-data");
    QDir().mkpath(folder);
    for (int persons : {10000, 100000}) {
        const std::string path =
            QDir(folder).filePath(QStringLiteral("persons-%1.tch").arg(persons)).toStdString();
        if (!QFileInfo::exists(QString::fromStdString(path))) {
            std::printf("generating %s ...\n", path.c_str());
            std::fflush(stdout);
            Generate(path, persons, 10);
        }
        Run(path, persons);
    }
    return 0;
}
