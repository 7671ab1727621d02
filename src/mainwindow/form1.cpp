#include "mainwindow/form1.h"

#include <array>

#include "about/form2.h"
#include "count/count.h"
#include "language/language.h"
#include "mainwindow/layout.h"
#include "platform/event_dispatch.h"
#include "platform/window_services.h"

namespace vornic {

namespace {

constexpr FontDefinition kWindowFont{.family = u"Arial", .points = 9, .charset = Charset::Ansi};
constexpr FontDefinition kText1Font{.family = u"ＭＳ Ｐゴシック", .points = 9, .charset = Charset::ShiftJis};
constexpr FontDefinition kLabel1Font{.family = u"Arial", .points = 15.75F, .charset = Charset::Ansi};

constexpr std::array kControls{
    ControlDefinition{.name = "Command3",
                      .kind = ControlKind::PushButton,
                      .geometry = {6600, 0, 2055, 375},
                      .tabIndex = 4,
                      .content = u"クリップボードクリア"},
    ControlDefinition{.name = "Command2",
                      .kind = ControlKind::PushButton,
                      .geometry = {4200, 0, 2175, 375},
                      .tabIndex = 3,
                      .content = u"表示クリア"},
    ControlDefinition{.name = "Command1",
                      .kind = ControlKind::PushButton,
                      .geometry = {0, 0, 4095, 375},
                      .tabIndex = 1,
                      .content = u"Number of characters"},
    ControlDefinition{.name = "Timer1", .kind = ControlKind::Timer, .timerIntervalMs = 1},
    ControlDefinition{.name = "Text1",
                      .kind = ControlKind::TextBox,
                      .geometry = {0, 1080, 4815, 3495},
                      .tabIndex = 0,
                      .font = &kText1Font,
                      .multiLine = true,
                      .horizontalScrollBar = true,
                      .verticalScrollBar = true,
                      // Its name cannot follow the language menu, so it carries both.
                      .accessibleName = u"クリップボードのテキスト (Clipboard text)"},
    ControlDefinition{.name = "Label1",
                      .kind = ControlKind::Label,
                      .geometry = {4200, 0, 4935, 375},
                      .tabIndex = 2,
                      .font = &kLabel1Font,
                      // The count appears there and nowhere else a screen reader would look.
                      .announcesChanges = true},
    ControlDefinition{.name = "mnuAuthor", .kind = ControlKind::MenuItem, .content = u"Author"},
    ControlDefinition{.name = "mnuCheck", .kind = ControlKind::MenuItem, .content = u"Check", .parentMenu = 6},
    ControlDefinition{.name = "mnuLanguage", .kind = ControlKind::MenuItem, .content = u"Language"},
    ControlDefinition{.name = "mnuEn", .kind = ControlKind::MenuItem, .content = u"English", .parentMenu = 8},
    ControlDefinition{
        .name = "mnuJap", .kind = ControlKind::MenuItem, .content = u"Japanese", .parentMenu = 8, .checked = true},
};

constexpr std::array kRoutes{
    EventRoute{EventKind::Loaded, -1, ApplyStartupLanguage},
    EventRoute{EventKind::Clicked, Form1::Command1.index, CountClipboardText},
    EventRoute{EventKind::Clicked, Form1::Command2.index, ClearDisplay},
    EventRoute{EventKind::Clicked, Form1::Command3.index, ClearClipboard},
    EventRoute{EventKind::TimerTick, Form1::Timer1.index, LayoutMainWindow},
    EventRoute{EventKind::MenuChosen, Form1::mnuCheck.index, ShowAboutWindow},
    EventRoute{EventKind::MenuChosen, Form1::mnuEn.index, SelectEnglish},
    EventRoute{EventKind::MenuChosen, Form1::mnuJap.index, SelectJapanese},
};

constexpr bool NamedAt(const ControlRef& control, std::string_view name) {
  return kControls.at(static_cast<std::size_t>(control.index)).name == name;
}
static_assert(NamedAt(Form1::Command3, "Command3") && NamedAt(Form1::Command2, "Command2") &&
              NamedAt(Form1::Command1, "Command1") && NamedAt(Form1::Timer1, "Timer1") &&
              NamedAt(Form1::Text1, "Text1") && NamedAt(Form1::Label1, "Label1") &&
              NamedAt(Form1::mnuAuthor, "mnuAuthor") && NamedAt(Form1::mnuCheck, "mnuCheck") &&
              NamedAt(Form1::mnuLanguage, "mnuLanguage") && NamedAt(Form1::mnuEn, "mnuEn") &&
              NamedAt(Form1::mnuJap, "mnuJap"));

}  // namespace

const FormDefinition Form1::Window{
    .name = "Form1",
    .title = kApplicationTitle,
    .clientPosition = TwipsPoint{5820, 4230},
    .clientSize = {9330, 4785},
    .showsProgramIcon = true,
    .background = Colour::System(Colour::Kind::SystemButtonFace),
    .font = &kWindowFont,
    .controls = kControls,
    .routes = kRoutes,
};

void ClearDisplay(WindowServices& services) {
  services.SetText(Form1::Text1, u"");
  services.SetCaption(Form1::Label1, u"");
}

void ClearClipboard(WindowServices& services) {
  services.SetText(Form1::Text1, u"");
  services.SetCaption(Form1::Label1, u"");
  services.ClipboardClear();
}

bool StartVornic(WindowServices& services) {
  return RunGuarded(services, [&] {
    LoadFormAndRunHandler(services, Form1::Window);
    services.ShowForm(Form1::Window);
  });
}

}  // namespace vornic
