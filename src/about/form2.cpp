#include "about/form2.h"

#include <array>

#include "mainwindow/form1.h"
#include "platform/event_dispatch.h"
#include "platform/window_services.h"

namespace vornic {

namespace {

constexpr FontDefinition kCloseFont{.family = u"Arial", .points = 9, .charset = Charset::Ansi};
constexpr FontDefinition kLineFont{.family = u"Arial", .points = 12, .charset = Charset::Ansi};

constexpr Colour kWindowColour = Colour::FromRgb(128, 128, 255);
constexpr Colour kLineColour = Colour::FromRgb(192, 192, 255);

constexpr std::array kControls{
    ControlDefinition{.name = "Picture1",
                      .kind = ControlKind::PictureBox,
                      .geometry = {150, 100, 615, 615},
                      .tabIndex = 4,
                      .background = kWindowColour,
                      .foreground = Colour::System(Colour::Kind::SystemWindowText),
                      .showsProgramIcon = true,
                      .accessibleName = u"Vornic icon"},
    ControlDefinition{.name = "Label3",
                      .kind = ControlKind::Label,
                      .geometry = {840, 840, 1455, 255},
                      .tabIndex = 5,
                      .content = u"a@example.org",
                      .background = kWindowColour},
    ControlDefinition{.name = "Label2",
                      .kind = ControlKind::Label,
                      .geometry = {3000, 840, 855, 255},
                      .tabIndex = 3,
                      .content = u"   Close",
                      .font = &kCloseFont,
                      .background = Colour::System(Colour::Kind::SystemWindow),
                      .foreground = Colour::System(Colour::Kind::SystemWindowText)},
    ControlDefinition{.name = "Label1",
                      .element = 2,
                      .kind = ControlKind::Label,
                      .geometry = {840, 240, 2655, 360},
                      .tabIndex = 2,
                      .content = u"Released 2026-12-07",
                      .font = &kLineFont,
                      .background = kLineColour},
    ControlDefinition{.name = "Label1",
                      .element = 1,
                      .kind = ControlKind::Label,
                      .geometry = {840, 480, 2535, 375},
                      .tabIndex = 1,
                      .content = u"Vornic Team",
                      .font = &kLineFont,
                      .background = kLineColour},
    ControlDefinition{.name = "Label1",
                      .element = 0,
                      .kind = ControlKind::Label,
                      .geometry = {840, 0, 3015, 375},
                      .tabIndex = 0,
                      .content = u"Vornic Project\r",
                      .font = &kLineFont,
                      .background = kLineColour},
};

constexpr std::array kRoutes{
    EventRoute{EventKind::Clicked, Form2::Label2.index, CloseAboutWindow},
};

static_assert(kControls.at(static_cast<std::size_t>(Form2::Label1(0).index)).element == 0);
static_assert(kControls.at(static_cast<std::size_t>(Form2::Label1(2).index)).element == 2);

}  // namespace

const FormDefinition Form2::Window{
    .name = "Form2",
    .title = u"Author",
    .clientSize = {4125, 1170},
    .showsProgramIcon = true,
    .background = kWindowColour,
    .controls = kControls,
    .routes = kRoutes,
};

void ShowAboutWindow(WindowServices& services) {
  if (!services.IsLoaded(Form2::Window)) LoadFormAndRunHandler(services, Form2::Window);
  services.PlaceFormAtOffset(Form2::Window, Form1::Window, {kAboutWindowOffset, kAboutWindowOffset});
  services.ShowForm(Form2::Window);
}

void CloseAboutWindow(WindowServices& services) { services.UnloadForm(Form2::Window); }

}  // namespace vornic
