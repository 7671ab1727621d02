// The window contract, run alike on every backend (see window_contract.h).
#include "window_contract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "platform/window_system_error.h"

namespace vornic::contract {
namespace {

constexpr std::array kControls{
    ControlDefinition{.name = "Box",
                      .kind = ControlKind::TextBox,
                      .geometry = {0, 600, 3000, 1500},
                      .tabIndex = 0,
                      .multiLine = true},
    ControlDefinition{
        .name = "Last", .kind = ControlKind::PushButton, .geometry = {0, 0, 1200, 375}, .tabIndex = 2, .content = u"C"},
    ControlDefinition{.name = "Next",
                      .kind = ControlKind::PushButton,
                      .geometry = {1500, 0, 1200, 375},
                      .tabIndex = 1,
                      .content = u"B"},
    ControlDefinition{.name = "Label", .kind = ControlKind::Label, .geometry = {3000, 0, 1500, 375}, .content = u"L"},
    ControlDefinition{.name = "Icon", .kind = ControlKind::PictureBox, .geometry = {3000, 600, 615, 615}},
    ControlDefinition{.name = "Ticker", .kind = ControlKind::Timer, .timerIntervalMs = 60000},
    ControlDefinition{.name = "mnuTop", .kind = ControlKind::MenuItem, .content = u"Top"},
    ControlDefinition{
        .name = "mnuItem", .kind = ControlKind::MenuItem, .content = u"Item", .parentMenu = 6, .checked = true},
};

const FormDefinition kForm{
    .name = "ContractForm",
    .title = u"Contract",
    .clientPosition = TwipsPoint{1500, 1500},
    .clientSize = {6000, 3000},
    .controls = kControls,
};

constexpr ControlRef Control(int index) { return {&kForm, index}; }

// A window is moved but never sized: no operation takes its Width or Height.
template <typename Services>
concept CanSizeForms = requires(Services& services) {
  services.SetFormMetric(kForm, Metric::Width, 1.0F);
  services.SetFormMetric(kForm, Metric::Height, 1.0F);
};
static_assert(!CanSizeForms<WindowServices>);

// Expects the action to fail with an error that names the seam operation.
void ExpectRefusal(const char* operation, const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << operation << " did not fail";
  } catch (const WindowSystemError& error) {
    EXPECT_EQ(error.Operation(), operation) << error.what();
  }
}

class WindowContract : public ::testing::Test {
 protected:
  void SetUp() override {
    services_ = &Backend().Fresh();
    services_->LoadForm(kForm);
  }
  void TearDown() override {
    if (services_->IsLoaded(kForm)) services_->UnloadForm(kForm);
    Backend().Finish();
  }
  WindowInspection& Services() { return *services_; }

 private:
  WindowInspection* services_ = nullptr;
};

TEST_F(WindowContract, AFormIsLoadedOnceAndUnloadedOnce) {
  ExpectRefusal("LoadForm", [&] { Services().LoadForm(kForm); });
  EXPECT_TRUE(Services().IsLoaded(kForm));
  Services().SetCaption(Control(3), u"still usable");
  Services().UnloadForm(kForm);
  EXPECT_FALSE(Services().IsLoaded(kForm));
  ExpectRefusal("UnloadForm", [&] { Services().UnloadForm(kForm); });
}

TEST_F(WindowContract, EveryOperationOnAnUnloadedFormFailsByItsName) {
  Services().UnloadForm(kForm);
  const std::pair<const char*, std::function<void(WindowInspection&)>> cases[] = {
      {"ShowForm", [](WindowInspection& s) { s.ShowForm(kForm); }},
      {"UnloadForm", [](WindowInspection& s) { s.UnloadForm(kForm); }},
      {"GetFormMetric", [](WindowInspection& s) { (void)s.GetFormMetric(kForm, Metric::Width); }},
      {"SetFormMetric", [](WindowInspection& s) { s.SetFormMetric(kForm, Edge::Left, 0); }},
      {"PlaceFormAtOffset", [](WindowInspection& s) { s.PlaceFormAtOffset(kForm, kForm, TwipsPoint{}); }},
      {"SetCaption", [](WindowInspection& s) { s.SetCaption(Control(3), u"x"); }},
      {"SetText", [](WindowInspection& s) { s.SetText(Control(0), u"x"); }},
      {"SetMetric", [](WindowInspection& s) { s.SetLeft(Control(0), 0); }},
      {"SetFontFamily", [](WindowInspection& s) { s.SetFontFamily(Control(1), u"Arial"); }},
      {"SetChecked", [](WindowInspection& s) { s.SetChecked(Control(7), true); }},
      {"IsChecked", [](WindowInspection& s) { (void)s.IsChecked(Control(7)); }},
      {"GetCaption", [](WindowInspection& s) { (void)s.GetCaption(Control(3)); }},
      {"GetText", [](WindowInspection& s) { (void)s.GetText(Control(0)); }},
      {"GetMetric", [](WindowInspection& s) { (void)s.GetMetric(Control(0), Metric::Left); }},
      {"GetFontFamily", [](WindowInspection& s) { (void)s.GetFontFamily(Control(1)); }},
  };
  for (const auto& [operation, act] : cases) ExpectRefusal(operation, [&] { act(Services()); });
}

// Each kind of control has exactly the properties of HasProperty: the others
// fail by the operation's name, and what is written reads back.
TEST_F(WindowContract, EachKindOfControlHasItsPropertiesAndNoOthers) {
  struct Operation {
    const char* name;
    Property property;
    std::function<void(WindowInspection&, ControlRef)> act;
  };
  const Operation operations[] = {
      {"SetCaption", Property::Caption,
       [](WindowInspection& s, ControlRef c) {
         s.SetCaption(c, u"Caption 1");
         EXPECT_EQ(s.GetCaption(c), u"Caption 1");
       }},
      {"GetCaption", Property::Caption, [](WindowInspection& s, ControlRef c) { (void)s.GetCaption(c); }},
      {"SetText", Property::Text,
       [](WindowInspection& s, ControlRef c) {
         s.SetText(c, u"line\r\nline");
         EXPECT_EQ(s.GetText(c), u"line\r\nline");
       }},
      {"GetText", Property::Text, [](WindowInspection& s, ControlRef c) { (void)s.GetText(c); }},
      {"SetMetric", Property::Geometry,
       [](WindowInspection& s, ControlRef c) {
         s.SetWidth(c, 1500);
         EXPECT_FLOAT_EQ(s.GetMetric(c, Metric::Width), 1500);
       }},
      {"GetMetric", Property::Geometry, [](WindowInspection& s, ControlRef c) { (void)s.GetMetric(c, Metric::Top); }},
      {"SetFontFamily", Property::FontFamily,
       [](WindowInspection& s, ControlRef c) {
         s.SetFontFamily(c, u"Arial");
         EXPECT_EQ(s.GetFontFamily(c), u"Arial");
       }},
      {"GetFontFamily", Property::FontFamily, [](WindowInspection& s, ControlRef c) { (void)s.GetFontFamily(c); }},
      {"SetChecked", Property::CheckMark,
       [](WindowInspection& s, ControlRef c) {
         s.SetChecked(c, false);
         EXPECT_FALSE(s.IsChecked(c));
         s.SetChecked(c, true);
         EXPECT_TRUE(s.IsChecked(c));
       }},
      {"IsChecked", Property::CheckMark, [](WindowInspection& s, ControlRef c) { (void)s.IsChecked(c); }},
  };
  for (int index = 0; index < static_cast<int>(kControls.size()); ++index) {
    for (const Operation& operation : operations) {
      SCOPED_TRACE(std::string(operation.name) + " on " + DescribeControl(Control(index)));
      if (HasProperty(kControls[static_cast<std::size_t>(index)].kind, operation.property)) {
        operation.act(Services(), Control(index));
      } else {
        ExpectRefusal(operation.name, [&] { operation.act(Services(), Control(index)); });
      }
    }
  }
  ExpectRefusal("SetCaption", [&] { Services().SetCaption({&kForm, 99}, u"x"); });
}

TEST_F(WindowContract, AWindowMovesByItsOuterCornerAndKeepsItsSize) {
  const float width = Services().GetFormMetric(kForm, Metric::Width);
  const float height = Services().GetFormMetric(kForm, Metric::Height);
  EXPECT_GT(width, kForm.clientSize.width - 1);
  Services().SetFormMetric(kForm, Edge::Left, 3000);
  Services().SetFormMetric(kForm, Edge::Top, 2010);
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kForm, Metric::Left), 3000);
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kForm, Metric::Top), 2010);
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kForm, Metric::Width), width);
  EXPECT_FLOAT_EQ(Services().GetFormMetric(kForm, Metric::Height), height);
}

TEST_F(WindowContract, TabMovesThroughTheControlsInTabIndexOrder) {
  if (!Backend().HasFocus()) GTEST_SKIP() << "no keyboard focus on this window system";
  Services().ShowForm(kForm);
  // Box (0), Next (1), Last (2), and round again: not the table's order.
  const std::array<int, 3> order{0, 2, 1};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(Backend().NextInTabOrder(kForm, order[i]), order[(i + 1) % order.size()])
        << "after " << kControls[static_cast<std::size_t>(order[i])].name;
  }
}

// What was copied decides what the read finds; nothing but a failure throws,
// and the clipboard is left empty by ClipboardClear, whoever owned it.
TEST_F(WindowContract, TheClipboardReadSaysWhatWasCopied) {
  using enum ClipboardText::Found;
  const struct {
    ClipboardShape shape;
    const char* name;
    bool hasText;
    ClipboardText::Found found;
  } cases[] = {
      {ClipboardShape::Text, "text", true, Text},
      {ClipboardShape::Picture, "a picture", false, NoText},
      {ClipboardShape::Files, "files", false, NoText},
      {ClipboardShape::LongerThanLimit, "a text over the limit", true, LongerThanLimit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(Backend().PutOnClipboard(c.shape));
    EXPECT_EQ(Services().ClipboardHasText(), c.hasText);
    const ClipboardText read = Services().ClipboardGetText(kClipboardLimit);
    EXPECT_EQ(read.found, c.found);
    EXPECT_EQ(read.text, c.found == Text ? kClipboardText : u"");
    Services().ClipboardClear();
    EXPECT_FALSE(Services().ClipboardHasText());
  }
}

TEST_F(WindowContract, AClipboardReadThatFailsIsNamedByTheRead) {
  if (!Backend().PutOnClipboard(ClipboardShape::FailingRead)) GTEST_SKIP() << "no read can fail here";
  ExpectRefusal("ClipboardGetText", [&] { (void)Services().ClipboardGetText(kClipboardLimit); });
  Services().ClipboardClear();
}

TEST_F(WindowContract, TheFatalErrorBoxShowsTheMessageItIsGiven) {
  const std::u16string message = u"SetMetric failed: error 5: Access denied.";
  EXPECT_EQ(Backend().ReportFatalErrorAndRead(message), message);
}

}  // namespace
}  // namespace vornic::contract
