// Tests of the current editor: its highlighted set and its context path.
#include "QOREditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "QORCommandEngine.h"

namespace {

constexpr const char* kMold = R"({"format": "moldbom-assembly", "version": 1, "root": "mold",
  "products": {
    "mold": {"partNumber": "MOLD", "instances": [{"name": "Plates.1", "of": "plates"}]},
    "plates": {"partNumber": "PLATES", "instances": [{"name": "Pin.1", "of": "pin"}, {"name": "Pin.2", "of": "pin"}]},
    "pin": {"partNumber": "PIN"}}})";

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto loaded = QORMoldDocument::LoadText(kMold, "editor.json");
    ASSERT_TRUE(loaded.Ok()) << loaded.Error().Message();
    document = std::move(loaded).Value();
    auto* editor = new QORFrmEditor();
    editor->SetContextPath(document->ContextPath());
    QORFrmEditor::SetCurrentEditor(editor);
    editor->Release();
  }
  void TearDown() override { QORCommandHost::Shutdown(); }

  // What the BOM dialog does for one instance: its path under the editor's context.
  static void Highlight(const QORIProduct_var& instance) {
    QORFrmEditor* editor = QORFrmEditor::GetCurrentEditor();
    QORPathElement* context = editor->GetContextPath();
    QORPathElement* path = nullptr;
    const QORIBuildPath_var builder(instance);
    ASSERT_TRUE(builder);
    ASSERT_EQ(builder->ExtractPathElement(context, path), S_OK);
    editor->GetHSO()->AddElements(path);
    QORRelease(path);
    QORRelease(context);
  }

  std::unique_ptr<QORMoldDocument> document;
};

TEST_F(EditorTest, HighlightedSetRendersInstancePathsInTheOrderAdded) {
  QORHSO* hso = QORFrmEditor::GetCurrentEditor()->GetHSO();
  ASSERT_NE(hso, nullptr);
  Highlight(document->FindByPath("MOLD/Plates.1/Pin.2"));
  Highlight(document->FindByPath("MOLD/Plates.1/Pin.1"));
  hso->AddElements(nullptr);
  EXPECT_TRUE(hso->IsOpenForAdditions());
  hso->EndAddElements();
  EXPECT_FALSE(hso->IsOpenForAdditions());
  EXPECT_EQ(hso->RenderedPaths(), (std::vector<std::string>{"MOLD/Plates.1/Pin.2", "MOLD/Plates.1/Pin.1"}));
  hso->Empty();
  EXPECT_TRUE(hso->RenderedPaths().empty());
}

TEST_F(EditorTest, ContextPathIsTheRootAndComesWithAReference) {
  QORFrmEditor* editor = QORFrmEditor::GetCurrentEditor();
  QORPathElement* first = editor->GetContextPath();
  ASSERT_NE(first, nullptr);
  const ULONG held = first->RefCount();
  QORPathElement* second = editor->GetContextPath();
  EXPECT_EQ(second->RefCount(), held + 1);
  EXPECT_EQ(QORHSO::RenderPath(*first), "MOLD");
  QORRelease(first);
  QORRelease(second);

  QORCommandHost::Shutdown();
  EXPECT_EQ(QORFrmEditor::GetCurrentEditor(), nullptr);
}

}  // namespace
