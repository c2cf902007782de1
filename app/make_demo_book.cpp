#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

#include "DemoBook.h"
#include "SQLException.h"

// Writes the demo address book at the given path unless a file is already there.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-demo-book FILE.tch\n");
        return 2;
    }
    if (QFileInfo::exists(QString::fromLocal8Bit(argv[1]))) {
        return 0;
    }
    try {
        WriteDemoBook(argv[1]);
    } catch (const cppsqlite3::SQLException& e) {
        std::fprintf(stderr, "make-demo-book: %s\n", e.Message().c_str());
        return 1;
    }
    return 0;
}
