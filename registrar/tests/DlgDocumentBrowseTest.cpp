// The list dialog: filling from both placements, order, check boxes, selection,
// description and Open.
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
  std::vector<std::tuple<std::uint32_t, bool, std::string>> entries;
  for (const D::Entry& e : dialog->GetEntries()) entries.emplace_back(e.firmCode, e.allUsers, e.path);
  EXPECT_EQ(entries, (decltype(entries){{3, true, Docs("a3.vxb")}, {10, false, Docs("a.vxb")},
                                        {7, false, Docs("m2.vxb")}, {7, true, Docs("m1.vxb")},
                                        {7, false, Docs("z.vxb")}}));
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

TEST_F(DlgDocumentBrowseTest, AHiddenSelectionMovesToTheNearestListedEntryBeforeOrElseAfter) {
  Register(MakeArchive("0.vxb", "Aardvark"), Placement::AllUsers);
  Register(MakeArchive("a.vxb", "Alpha"));
  Register(MakeArchive("b.vxb", "Beta"), Placement::AllUsers);
  Register(MakeArchive("c.vxb", "Gamma"));
  const auto dialog = Dialog();
  dialog->OnSelectionChange(2);
  EXPECT_EQ(dialog->GetDescription().path, Docs("b.vxb"));
  dialog->OnCheckBox(D::kAllUsersBox, false);
  EXPECT_EQ(dialog->GetListTexts(), (Texts{"Alpha", "Gamma"}));
  EXPECT_EQ(dialog->GetListSelection(), 0);
  EXPECT_EQ(dialog->GetDescription().path, Docs("a.vxb"));
  dialog->OnCheckBox(D::kAllUsersBox, true);
  EXPECT_EQ(dialog->GetListSelection(), 1);  // Alpha stays selected
  dialog->OnSelectionChange(0);  // Aardvark: no entry listed before it
  dialog->OnCheckBox(D::kAllUsersBox, false);
  EXPECT_EQ(dialog->GetListSelection(), 0);
  EXPECT_EQ(dialog->GetDescription().path, Docs("a.vxb"));
  // Unchecking the last checked box checks the other.
  dialog->OnCheckBox(D::kCurrentUserBox, false);
  EXPECT_FALSE(dialog->IsChecked(D::kCurrentUserBox));
  EXPECT_TRUE(dialog->IsChecked(D::kAllUsersBox));
  EXPECT_EQ(dialog->GetListTexts(), (Texts{"Aardvark", "Beta"}));
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

}  // namespace
}  // namespace registrar_tests
