#include <benchmark/benchmark.h>

#include <QFile>
#include <QLocale>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "Converter.h"
#include "DatabaseFile.h"
#include "SimpleXMLParser.h"
#include "V1Document.h"

namespace {

constexpr int kPersons = 40000;
constexpr int kContacts = 150000;
constexpr int kTypes = 12;

std::filesystem::path WorkDir() {
    static const std::filesystem::path dir = [] {
        const auto d = std::filesystem::temp_directory_path() /
                       ("tideconv-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

std::string SourcePath() {
    return (WorkDir() / "source.tch").string();
}

// A version-1 file as version 1 wrote it, streamed to disk so that this process stays small.
void Generate(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    // The encoding is named for xmllint only; tideconv reads the bytes as they are.
    out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<Tidemark Version=\"1\" "
           "Cr=\"1109667900\" St=\"1112346000\" "
           "U=\"{6B29FC40-CA47-1067-B31D-00DD010662DA}\">\n";
    out << "\t<User>\n\t\t<Title>Ms</Title>\n\t\t<FName>Ann</FName>\n\t\t<LName>O&apos;Hara"
           "</LName>\n\t\t<Address>1 Quay Street\r\nHarbour</Address>\n\t\t<City>Port</City>\n"
           "\t\t<State>CA</State>\n\t\t<Zip>90210</Zip>\n\t\t<HmPhone>555-0100</HmPhone>\n"
           "\t\t<CelPhone>555-0101</CelPhone>\n\t\t<WkPhone>555-0102</WkPhone>\n\t\t<WkExt>12"
           "</WkExt>\n\t\t<Fax>555-0103</Fax>\n\t\t<EMail>ann@example.com</EMail>\n\t\t<WebPage>"
           "www.example.com</WebPage>\n\t\t<Company>Tide &amp; Co</Company>\n\t\t<Position>"
           "Owner</Position>\n\t</User>\n";
    out << "\t<Persons LastID=\"" << kPersons << "\">\n";
    char buffer[4096];
    for (int i = 1; i <= kPersons; ++i) {
        std::snprintf(
            buffer, sizeof buffer,
            "\t\t<Person ID=\"%d\">\n\t\t\t<Title>Mr</Title>\n\t\t\t<FName>First%d"
            "</FName>\n\t\t\t<LName>D&apos;Last%d</LName>\n\t\t\t<Address>%d Road\r\nLine \xE9"
            "</Address>\n\t\t\t<City>Salem</City>\n"
            "\t\t\t<State>IL</State>\n\t\t\t<Zip>6270%d</Zip>\n\t\t\t<Phone>(217) "
            "555-%04d</Phone>\n\t\t\t<WkPhone>(217) 555-1%03d</WkPhone>\n\t\t\t<WkExt>"
            "%d</WkExt>\n\t\t\t<Pager></Pager>\n\t\t\t<CelPhone>(217) 555-2%03d"
            "</CelPhone>\n\t\t\t<Fax></Fax>\n\t\t\t<EMail>first%d@example.com</EMail>\n"
            "\t\t\t<WebPage>www.example.com/~p%d</WebPage>\n\t\t\t<Company>Company %d "
            "&amp; Sons</Company>\n\t\t\t<Position>Chef</Position>\n\t\t</Person>\n",
            i, i, i, i, i % 10, i % 10000, i % 1000, i % 100, i % 1000, i, i, i % 500);
        out << buffer;
    }
    out << "\t</Persons>\n\t<Contacts LastID=\"" << kContacts << "\">\n";
    for (int i = 1; i <= kContacts; ++i) {
        std::snprintf(buffer, sizeof buffer,
                      "\t\t<Contact ID=\"%d\">\n\t\t\t<PersonID>%d</PersonID>\n\t\t\t<DateTime>"
                      "%d/%d/%d %d:%02d:%02d %s</DateTime>\n\t\t\t<Description>Call &quot;%d&quot;"
                      " &amp; co</Description>\n\t\t\t<ContactTypeID>%d</ContactTypeID>\n"
                      "\t\t</Contact>\n",
                      i, 1 + i % kPersons, 1 + i % 12, 1 + i % 28, 1995 + i % 10, 1 + i % 12,
                      i % 60, (i * 7) % 60, i % 2 ? "AM" : "PM", i, 1 + i % kTypes);
        out << buffer;
    }
    out << "\t</Contacts>\n\t<ContactTypes LastID=\"" << kTypes << "\">\n";
    const char* names[] = {"Telephone", "Email", "Correspondence", "Personal"};
    for (int i = 1; i <= kTypes; ++i) {
        out << "\t\t<ContactType ID=\"" << i << "\">\n\t\t\t<Description>"
            << (i <= 4 ? names[i - 1] : "Type " + std::to_string(i))
            << "</Description>\n\t\t</ContactType>\n";
    }
    out << "\t</ContactTypes>\n</Tidemark>\n";
}

const std::string& SourceText() {
    static const std::string text = *ReadWholeFile(SourcePath());
    return text;
}

void Copy(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

// A conversion that does not succeed says why on stderr.
bool Converted(const std::string& path) {
    const ConvertOutcome outcome = Convert(path);
    if (outcome.result == ConvertResult::Succeeded) {
        return true;
    }
    for (const ConvertMessage& message : outcome.messages) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(message.caption), qPrintable(message.text));
    }
    return false;
}

void Clean(const std::string& path) {
    for (const char* suffix : {"", ".org", ".new"}) {
        std::filesystem::remove(path + suffix);
    }
}

void BM_Parse(benchmark::State& state) {
    const std::string& text = SourceText();
    for (auto _ : state) {
        SimpleXMLParser::Parser parser;
        auto root = parser.Parse(text.data(), text.size());
        benchmark::DoNotOptimize(root.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_XmllintNoout(benchmark::State& state) {
    const std::string command = "xmllint --noout --huge " + SourcePath();
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("xmllint failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SourceText().size()));
}

void BM_Load(benchmark::State& state) {
    const std::string& text = SourceText();
    for (auto _ : state) {
        V1Document document;
        benchmark::DoNotOptimize(document.Load(text.c_str()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

constexpr int64_t kRecords = 1 + kTypes + kPersons + kContacts;

void BM_Convert(benchmark::State& state) {
    const std::string path = (WorkDir() / "convert.tch").string();
    for (auto _ : state) {
        state.PauseTiming();
        Clean(path);
        Copy(SourcePath(), path);
        state.ResumeTiming();
        if (!Converted(path)) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    Clean(path);
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SourceText().size()));
}

// The same statements as one script, for the sqlite3 shell.
std::string WriteScript() {
    const std::string script = (WorkDir() / "inserts.sql").string();
    V1Document document;
    document.Load(SourceText().c_str());
    const IdentifierMaps ids = AssignIdentifiers(document);
    std::ofstream out(script, std::ios::binary);
    out << "BEGIN TRANSACTION;\n";
    for (const char* sql :
         {schema::kCreateUser, schema::kCreatePerson, schema::kCreatePersonNameIndex,
          schema::kCreatePersonCompanyIndex, schema::kCreateContactType,
          schema::kCreateContactTypeIndex, schema::kCreateContact, schema::kCreateContactDateIndex,
          schema::kCreateGlobals}) {
        out << sql << ";\n";
    }
    out << GlobalsInsert(document.token, FormatStoredTimeStamp(document.created),
                         FormatStoredTimeStamp(document.lastSaved))
        << ";\nCOMMIT;\nBEGIN TRANSACTION;\n";
    WriteRecords(document, ids, [&out](const std::string& sql) { out << sql << ";\n"; });
    out << "COMMIT;\n";
    return script;
}

void BM_Sqlite3Shell(benchmark::State& state) {
    static const std::string script = WriteScript();
    const std::string db = (WorkDir() / "shell.tch").string();
    const std::string command = "sqlite3 " + db + " < " + script;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(db);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("sqlite3 failed");
            break;
        }
    }
    std::filesystem::remove(db);
    state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_XmllintNoout)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Sqlite3Shell)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One conversion in a fresh process, whose peak resident size is the figure wanted.
long PeakKilobytesOfOneConversion(const char* self) {
    const std::string path = (WorkDir() / "memory.tch").string();
    Clean(path);
    Copy(SourcePath(), path);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(self, self, "--convert-once", path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Clean(path);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

}  // namespace

int main(int argc, char** argv) {
    // Version 1 wrote dates in the user's format; these files come from a US English desktop.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    if (argc == 3 && std::string(argv[1]) == "--convert-once") {
        return Converted(argv[2]) ? 0 : 1;
    }
    const auto start = std::chrono::steady_clock::now();
    Generate(SourcePath());
    const auto size = std::filesystem::file_size(SourcePath());
    std::printf(
        "version-1 file: %.1f MB, %d persons, %d contacts, %d contact types (%.1f s to "
        "write)\n",
        size / 1e6, kPersons, kContacts, kTypes,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const long idle = [&] {
        rusage self{};
        ::getrusage(RUSAGE_SELF, &self);
        return self.ru_maxrss;
    }();
    const long peak = PeakKilobytesOfOneConversion(argv[0]);
    std::printf(
        "peak memory of one conversion: %.1f MB = %.2f x the file (goal: under 8 x); "
        "this process before: %.1f MB\n",
        peak / 1024.0, peak * 1024.0 / static_cast<double>(size), idle / 1024.0);
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(WorkDir());
    return 0;
}
