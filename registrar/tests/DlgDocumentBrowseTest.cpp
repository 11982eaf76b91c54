// The list dialog: filling from both placements, order, check boxes, selection,
// description and Open.
#include <cstdio>

#include "base/KelException.h"
#include "base/messages/MessageTable.h"
#include "platform/UserInterface.h"
#include "registrar/ScriptedBrowseDialog.h"
#include "registrar/tests/RegistrarFixture.h"

namespace registrar_tests {
namespace {

using D = DlgDocumentBrowse;
using Texts = std::vector<std::string>;

class DlgDocumentBrowseTest : public RegistrarTest {
 protected:
  void SetUp() override {
    RegistrarTest::SetUp();
    InstallMessageTable();
    SetMessageBoxFrontEnd(&m_boxes);
  }
  void TearDown() override {
    SetMessageBoxFrontEnd(nullptr);
    RegistrarTest::TearDown();
  }
  // A dialog whose Open records the request, or raises FAILURE when set.
  std::unique_ptr<D> Dialog() {
    auto dialog = std::make_unique<D>(m_catalog, [this](const registrar::OpenRequest& request) {
      m_opened.push_back(request);
      if (m_failure) CKelException::Throw(m_failure, request.path);
    });
    dialog->OnInitDialog();
    return dialog;
  }

  ScriptedMessageBoxes m_boxes;
  stow::DocumentProfiling m_catalog{ThisApp::kDescriptor};
  std::vector<registrar::OpenRequest> m_opened;
  std::uint32_t m_failure = 0;
};

TEST_F(DlgDocumentBrowseTest, BothPlacementsSortedWithTheCurrentUserFirst) {
  Register(MakeArchive("m1.vxb", "Manual"), Placement::AllUsers);
  Register(MakeArchive("m2.vxb", "Manual"));
  Register(MakeArchive("z.vxb", "zeta"));
  Register(MakeArchive("a.vxb", "alpha", 10));
  Register(MakeArchive("a3.vxb", "ALPHA", 3), Placement::AllUsers);
  const auto dialog = Dialog();
  EXPECT_EQ(dialog->GetListTexts(), (Texts{"ALPHA", "alpha", "Manual", "Manual", "zeta"}));
  const std::vector<D::Entry>& entries = dialog->GetEntries();
  EXPECT_EQ(entries[0].firmCode, 3u);
  EXPECT_EQ(entries[1].firmCode, 10u);
  EXPECT_FALSE(entries[2].allUsers);
  EXPECT_EQ(entries[2].path, Docs("m2.vxb"));
  EXPECT_TRUE(entries[3].allUsers);
  EXPECT_EQ(entries[3].path, Docs("m1.vxb"));
  EXPECT_EQ(dialog->GetListSelection(), 0);
  EXPECT_TRUE(dialog->IsChecked(D::kCurrentUserBox));
  EXPECT_TRUE(dialog->IsChecked(D::kAllUsersBox));
  EXPECT_TRUE(m_boxes.shown().empty());
}

TEST_F(DlgDocumentBrowseTest, OnlyAllUsersEntriesAndTheirBoxUnchecked) {
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  const auto dialog = Dialog();
  EXPECT_TRUE(dialog->IsOpenEnabled());
  dialog->OnCheckBox(D::kAllUsersBox, false);
  EXPECT_TRUE(dialog->IsChecked(D::kCurrentUserBox));
  EXPECT_FALSE(dialog->IsChecked(D::kAllUsersBox));
  EXPECT_TRUE(dialog->GetListTexts().empty());
  EXPECT_EQ(dialog->GetListSelection(), -1);
  EXPECT_FALSE(dialog->IsOpenEnabled());
  EXPECT_EQ(dialog->GetDescription().path, "");
  dialog->OnOK();
  EXPECT_TRUE(m_opened.empty());
  EXPECT_FALSE(dialog->IsEnded());
}

TEST_F(DlgDocumentBrowseTest, AHiddenSelectionMovesToTheNearestListedEntryBefore) {
  Register(MakeArchive("a.vxb", "Alpha"));
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  Register(MakeArchive("c.vxb", "Gamma"));
  const auto dialog = Dialog();
  dialog->OnSelectionChange(1);
  EXPECT_EQ(dialog->GetDescription().path, Docs("b.vxb"));
  dialog->OnCheckBox(D::kAllUsersBox, false);
  EXPECT_EQ(dialog->GetListTexts(), (Texts{"Alpha", "Gamma"}));
  EXPECT_EQ(dialog->GetListSelection(), 0);
  EXPECT_EQ(dialog->GetDescription().path, Docs("a.vxb"));
  // Unchecking the last checked box checks the other.
  dialog->OnCheckBox(D::kCurrentUserBox, false);
  EXPECT_FALSE(dialog->IsChecked(D::kCurrentUserBox));
  EXPECT_TRUE(dialog->IsChecked(D::kAllUsersBox));
  EXPECT_EQ(dialog->GetListTexts(), (Texts{"Beta"}));
}

TEST_F(DlgDocumentBrowseTest, OrAfterWhenNoneIsBefore) {
  Register(MakeArchive("a.vxb", "Alpha"), Placement::AllUsers);
  Register(MakeArchive("b.vxb", "Beta"));
  const auto dialog = Dialog();
  EXPECT_EQ(dialog->GetListSelection(), 0);
  dialog->OnCheckBox(D::kAllUsersBox, false);
  EXPECT_EQ(dialog->GetListSelection(), 0);
  EXPECT_EQ(dialog->GetDescription().path, Docs("b.vxb"));
  dialog->OnCheckBox(D::kAllUsersBox, true);
  EXPECT_EQ(dialog->GetListSelection(), 1);  // Beta stays selected
}

TEST_F(DlgDocumentBrowseTest, TheDescriptionOfTheSelectedArchiveAndOfOneWhoseFileIsGone) {
  Register(MakeArchive("a.vxb", "Alpha", 42, "The Alpha Manual", "(c) VEXO"));
  const std::string gone = MakeArchive("g.vxb", "Gone", 7, "Title", "Copyright");
  Register(gone);
  std::filesystem::remove(gone);
  const auto dialog = Dialog();
  const D::Description& description = dialog->GetDescription();
  const auto texts = [&] {
    return Texts{description.title, description.copyright, description.path,
                 description.firmCode, description.buildDate};
  };
  // The build date in the C locale's short form.
  EXPECT_EQ(texts(), (Texts{"The Alpha Manual", "(c) VEXO", Docs("a.vxb"), "42", "11/09/04, 11:33"}));
  dialog->OnSelectionChange(1);
  EXPECT_EQ(texts(), (Texts{"", "", gone, "7", ""}));
  EXPECT_TRUE(dialog->GetEntries()[1].detailsLoaded);
  m_failure = 1001;
  dialog->OnOK();
  EXPECT_FALSE(dialog->IsEnded());
  ASSERT_EQ(m_boxes.shown().size(), 1u);
  EXPECT_NE(m_boxes.shown()[0].text.find(gone), std::string::npos) << m_boxes.shown()[0].text;
}

TEST_F(DlgDocumentBrowseTest, AnEntryWithoutPathHidesOnlyItself) {
  Register(MakeArchive("a.vxb", "Alpha"));
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  Register(MakeArchive("g.vxb", "Gamma"), Placement::AllUsers);
  // What a registration killed between its key and its value used to leave.
  PutText(HKEY_LOCAL_MACHINE, (std::string(stow::DocumentProfiling::kCatalogKey) + "\\Broken\\FC3").c_str(),
          "Other", "x");
  const auto dialog = Dialog();
  ASSERT_EQ(m_boxes.shown().size(), 1u);
  EXPECT_EQ(m_boxes.shown()[0].text, registrar::kCatalogErrors);
  EXPECT_EQ(m_boxes.shown()[0].caption, registrar::kTitle);
  EXPECT_TRUE(dialog->IsEnabled(D::kAllUsersBox));
  EXPECT_EQ(dialog->GetListTexts(), (Texts{"Alpha", "Beta", "Gamma"}));
}

TEST_F(DlgDocumentBrowseTest, OpenHandsOverTheSelectedEntryAndEnds) {
  Register(MakeArchive("a.vxb", "Alpha", 5));
  Register(MakeArchive("b.vxb", "Beta", 6));
  D dialog(m_catalog, [this](const registrar::OpenRequest& request) { m_opened.push_back(request); });
  ScriptedBrowseDialog script;
  script.Queue([](D& d) { d.OnSelectionChange(1); });
  script.Queue([](D& d) { d.OnDoubleClick(); });
  EXPECT_EQ(dialog.DoModal(script), IDOK);
  EXPECT_TRUE(dialog.IsEnded());
  ASSERT_EQ(script.views.size(), 3u);
  EXPECT_EQ(script.views[0].selection, 0);
  EXPECT_EQ(script.views[1].selection, 1);
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0].archiveName, "Beta");
  EXPECT_EQ(m_opened[0].firmCode, 6u);
  EXPECT_EQ(m_opened[0].path, Docs("b.vxb"));
}

TEST_F(DlgDocumentBrowseTest, TheTerminalFrontEnd) {
  Register(MakeArchive("a.vxb", "Alpha", 7, "Alpha Title"));
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  char input[] = "2\na\nq\n";
  std::FILE* in = fmemopen(input, sizeof input - 1, "r");
  char* output = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&output, &size);
  TerminalBrowseDialog terminal(in, out, true);
  D dialog(m_catalog, [](const registrar::OpenRequest&) {});
  EXPECT_EQ(dialog.DoModal(terminal), IDCANCEL);
  std::fclose(in);
  std::fclose(out);
  const std::string text(output, size);
  std::free(output);
  EXPECT_EQ(text.find("Stowra Registration Browser\nRegistered Documents:\n  > 1. Alpha\n    2. Beta\n"
                      "[x] For Current User   [x] For All Users\nDocument Description\n"
                      "  Title:      Alpha Title\n"),
            0u)
      << text;
  EXPECT_NE(text.find("    1. Alpha\n  > 2. Beta\n"), std::string::npos);
  EXPECT_NE(text.find("  > 1. Alpha\n[x] For Current User   [ ] For All Users\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace registrar_tests
