// Form2, the about window, and the commands that open and close it.
#pragma once

#include "platform/form_definition.h"

namespace vornic {
class WindowServices;
}

namespace vornic::Form2 {

extern const FormDefinition Window;

// In creation order; the table in form2.cpp follows it.
inline constexpr ControlRef Picture1{&Window, 0};
inline constexpr ControlRef Label3{&Window, 1};
inline constexpr ControlRef Label2{&Window, 2};
// Label1 is an array of three labels, created element 2 first.
constexpr ControlRef Label1(int element) { return {&Window, 5 - element}; }

}  // namespace vornic::Form2

namespace vornic {

// Offset of the about window from the main window's top-left corner.
inline constexpr float kAboutWindowOffset = 1500;

void ShowAboutWindow(WindowServices& services);
void CloseAboutWindow(WindowServices& services);

}  // namespace vornic
