// "...": the file-open dialog it asks for, and what the file name box shows
// of the chosen file.
#include <QDir>
#include <QFileDialog>

#include "dialog_fixture.h"
#include "engine_reference.h"

namespace orvane::testing {
namespace {

class Browsing : public DialogTest {
 protected:
  Browsing() : here(scratch.path()) {
    std::filesystem::create_directory(scratch / "elsewhere");
    WriteFile(scratch / "run1.spf", "");
    WriteFile(scratch / "elsewhere/run1.spf", "");
  }
  // The file dialog answers with answer and remembers what it was asked.
  void Choose(const QString& answer) {
    dlg->m_fnChooseFile = [this, answer](const gui::FileOpenRequest& request) {
      asked.push_back(request);
      return answer;
    };
  }
  WorkingDirectory here;
  std::vector<gui::FileOpenRequest> asked;
};

TEST_F(Browsing, AFileInTheWorkingDirectoryIsEnteredByItsName) {
  Show();
  Choose(QString::fromStdString(scratch / "run1.spf"));
  Click(1014);
  EXPECT_EQ(FileNameBox()->text(), "run1.spf");
  EXPECT_EQ(dlg->m_strFileName, "run1.spf");
  EXPECT_EQ(std::filesystem::current_path(), scratch.path());
}

TEST_F(Browsing, AFileElsewhereIsEnteredByItsFullPath) {
  Show();
  Choose(QString::fromStdString(scratch / "elsewhere/run1.spf"));
  Click(1014);
  EXPECT_EQ(FileNameBox()->text().toStdString(), scratch / "elsewhere/run1.spf");
}

TEST_F(Browsing, TheChosenFileIsTheOneThatConvertReads) {
  WriteFile(scratch / "elsewhere/run1.spf", std::string(400, 'x'));
  Show();
  Choose(QString::fromStdString(scratch / "elsewhere/run1.spf"));
  Click(1014);
  Click(1008);
  // The namesake in the working directory is empty and would fail another way.
  EXPECT_EQ(Status(), ConvertedByTheEngine(scratch / "elsewhere/run1.spf", true, true).LastStatus());
}

TEST_F(Browsing, CancelLeavesTheBoxAndBrowsingLeavesTheStatus) {
  Show();
  TypeFileName("typed.spf");
  Click(1008);
  std::string status = Status();
  ASSERT_NE(status, "");
  Choose(QString());
  Click(1014);
  EXPECT_EQ(FileNameBox()->text(), "typed.spf");
  Choose(QString::fromStdString(scratch / "run1.spf"));
  Click(1014);
  EXPECT_EQ(Status(), status);
}

TEST_F(Browsing, AsksForAnExistingPulseFileFromTheWorkingDirectory) {
  Show();
  Choose(QString());
  Click(1014);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].title, "Select A Pulse File");
  EXPECT_EQ(asked[0].filterName, "Pulse File");
  EXPECT_EQ(asked[0].directory, ".");
  EXPECT_EQ(asked[0].initialName, "*.spf");
  EXPECT_TRUE(asked[0].existingFilesOnly);
}

TEST_F(Browsing, TheFileDialogIsSetUpFromTheRequest) {
  std::unique_ptr<QFileDialog> dialog = gui::CreateFileOpenDialog(gui::PulseFileOpenRequest(), nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Select A Pulse File");
  EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog->nameFilters().size(), 1);
  EXPECT_TRUE(dialog->nameFilters().value(0).startsWith("Pulse File"));
  EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir::current().canonicalPath());
}

}  // namespace
}  // namespace orvane::testing
