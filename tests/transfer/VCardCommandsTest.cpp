// File, Import, vCard and File, Export, vCard as the user meets them: the file dialog, the
// question about persons already in the file, and the messages.
#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>

#include "FileDialogRecorder.h"
#include "MessageRecorder.h"
#include "TestBook.h"
#include "TransferCommands.h"

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

class VCardCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = book_.Create(); }

    std::string Query(const std::string& sql) const { return TestBook::QueryText(path_, sql); }
    void Write(const char* name, const QByteArray& bytes) {
        QFile file(QString::fromStdString(book_.Path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const char* name) const {
        QFile file(QString::fromStdString(book_.Path(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString FileName(const char* name) const { return QString::fromStdString(book_.Path(name)); }

    TestBook book_;
    std::string path_;
    QWidget owner_;
};

TEST_F(VCardCommandsTest, ImportAsksOnceAboutKnownPersonsAndCountsWhatItDid) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    TestBook::AddPerson(path_, "Bob", "Brown");
    {
        FileDialogRecorder files;
        files.Answer(FileName("own.vcf"));
        EXPECT_FALSE(transfer::ExportVCardCommand(&owner_, path_).status.isEmpty());
        ASSERT_EQ(files.Requests().size(), 1u);
        EXPECT_EQ(files.Requests()[0].kind, platform::FileDialogKind::Save);
        EXPECT_EQ(files.Requests()[0].defaultSuffix, QStringLiteral("vcf"));
        EXPECT_EQ(files.Requests()[0].filters.value(0), QStringLiteral("vCard files (*.vcf)"));
        // Offered beside the address book, under its name.
        EXPECT_EQ(files.Requests()[0].initialPath, FileName("book.vcf"));
    }
    // One card without any name is added to the file.
    Write("own.vcf", Read("own.vcf") + "BEGIN:VCARD\r\nVERSION:3.0\r\nTEL:555\r\nEND:VCARD\r\n");

    FileDialogRecorder files;
    MessageRecorder boxes;
    files.Answer(FileName("own.vcf"));
    boxes.Expect(MessageResult::SecondChoice);  // Skip
    boxes.Expect(MessageResult::Ok);
    const transfer::CommandOutcome outcome = transfer::ImportVCardCommand(&owner_, &owner_, path_);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    const platform::MessageCall& question = boxes.Calls()[0];
    EXPECT_EQ(question.buttons, MessageButtons::Choices);
    EXPECT_EQ(question.choices, (QStringList{QStringLiteral("&Update"), QStringLiteral("&Skip"),
                                             QStringLiteral("&Add as New")}));
    EXPECT_TRUE(question.text.startsWith(QStringLiteral("2 cards of this file are persons")))
        << question.text.toStdString();
    EXPECT_EQ(boxes.Calls()[1].text,
              QStringLiteral("No person was added to the current database.\n"
                             "2 persons already in it skipped.\n"
                             "1 cards without a name or organisation left out."));
    EXPECT_EQ(boxes.Calls()[1].caption, QStringLiteral("Imported Names"));
    EXPECT_FALSE(outcome.reload);  // nothing changed
    EXPECT_EQ(Query("SELECT COUNT(*) FROM Person"), "2");
    EXPECT_EQ(files.Requests().at(0).kind, platform::FileDialogKind::Open);
    EXPECT_EQ(files.Requests().at(0).filters.value(0),
              QStringLiteral("vCard files (*.vcf *.vcard)"));
    EXPECT_EQ(files.Requests().at(0).folder, book_.Folder());
}

TEST_F(VCardCommandsTest, CancellingTheQuestionImportsNothing) {
    const RecordId ann = TestBook::AddPerson(path_, "Ann", "Adams");
    Write("one.vcf", QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Other;Ann;;;\nUID:") +
                         QByteArray::fromStdString(ann) +
                         "\nEND:VCARD\nBEGIN:VCARD\nVERSION:3.0\nN:New;Ned;;;\nEND:VCARD\n");
    FileDialogRecorder files;
    MessageRecorder boxes;
    files.Answer(FileName("one.vcf"));
    boxes.Expect(MessageResult::Cancel);
    EXPECT_FALSE(transfer::ImportVCardCommand(&owner_, &owner_, path_).reload);
    EXPECT_TRUE(boxes.Last().text.startsWith(QStringLiteral("One card of this file")));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM Person"), "1");
    EXPECT_EQ(Query("SELECT LName FROM Person"), "Adams");
}

TEST_F(VCardCommandsTest, ImportWithoutKnownPersonsAsksNothingAndReloads) {
    Write("new.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:New;Ned;;;\nEND:VCARD\n");
    FileDialogRecorder files;
    MessageRecorder boxes;
    files.Answer(FileName("new.vcf"));
    boxes.Expect(MessageResult::Ok);
    EXPECT_TRUE(transfer::ImportVCardCommand(&owner_, &owner_, path_).reload);
    EXPECT_EQ(boxes.Last().text, QStringLiteral("1 names added to current database."));
    EXPECT_EQ(Query("SELECT FName || ' ' || LName FROM Person"), "Ned New");
}

TEST_F(VCardCommandsTest, AFileThatIsNoVCardIsSaidToBeSo) {
    Write("list.csv", "First,Last\nAnn,Adams\n");
    FileDialogRecorder files;
    MessageRecorder boxes;
    files.Answer(FileName("list.csv"));
    boxes.Expect(MessageResult::Ok);
    EXPECT_FALSE(transfer::ImportVCardCommand(&owner_, &owner_, path_).reload);
    EXPECT_TRUE(boxes.Last().text.contains(QStringLiteral("is not a vCard file")))
        << boxes.Last().text.toStdString();
    EXPECT_EQ(boxes.Last().icon, MessageIcon::Warning);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM Person"), "0");

    // A cancelled file dialog does nothing at all.
    files.Cancel();
    EXPECT_FALSE(transfer::ImportVCardCommand(&owner_, &owner_, path_).reload);
}

TEST_F(VCardCommandsTest, WhileSearchingTheExportAsksWhichPersons) {
    TestBook::AddPerson(path_, "Ann", "Adams");
    const RecordId bob = TestBook::AddPerson(path_, "Bob", "Brown");
    {
        FileDialogRecorder files;
        MessageRecorder boxes;
        boxes.Expect(MessageResult::FirstChoice);
        files.Answer(FileName("shown.vcf"));
        const transfer::CommandOutcome outcome =
            transfer::ExportVCardCommand(&owner_, path_, {bob});
        EXPECT_EQ(boxes.Last().choices.value(0), QStringLiteral("&Only the 1 Shown"));
        EXPECT_TRUE(outcome.status.startsWith(QStringLiteral("1 persons exported to ")))
            << outcome.status.toStdString();
        EXPECT_TRUE(Read("shown.vcf").contains("N:Brown;Bob"));
        EXPECT_FALSE(Read("shown.vcf").contains("Adams"));
    }
    {
        FileDialogRecorder files;
        MessageRecorder boxes;
        boxes.Expect(MessageResult::SecondChoice);
        files.Answer(FileName("all.vcf"));
        transfer::ExportVCardCommand(&owner_, path_, {bob});
        EXPECT_TRUE(Read("all.vcf").contains("Adams"));
    }
    {
        // Cancel asks for no file.
        MessageRecorder boxes;
        boxes.Expect(MessageResult::Cancel);
        FileDialogRecorder files;
        EXPECT_TRUE(transfer::ExportVCardCommand(&owner_, path_, {bob}).status.isEmpty());
        EXPECT_TRUE(files.Requests().empty());
    }
}

}  // namespace
