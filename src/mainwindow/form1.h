// Form1, the main window: its definition and its controls by name.
#pragma once

#include "platform/form_definition.h"

namespace vornic {
class WindowServices;
}

namespace vornic::Form1 {

extern const FormDefinition Window;

// In creation order; the table in form1.cpp follows it.
inline constexpr ControlRef Command3{&Window, 0};
inline constexpr ControlRef Command2{&Window, 1};
inline constexpr ControlRef Command1{&Window, 2};
inline constexpr ControlRef Timer1{&Window, 3};
inline constexpr ControlRef Text1{&Window, 4};
inline constexpr ControlRef Label1{&Window, 5};
inline constexpr ControlRef mnuAuthor{&Window, 6};
inline constexpr ControlRef mnuCheck{&Window, 7};
inline constexpr ControlRef mnuLanguage{&Window, 8};
inline constexpr ControlRef mnuEn{&Window, 9};
inline constexpr ControlRef mnuJap{&Window, 10};

}  // namespace vornic::Form1

namespace vornic {

void ClearDisplay(WindowServices& services);
void ClearClipboard(WindowServices& services);

// Creates Form1, runs its load handler and shows it. Returns false when a
// failure ended the program.
bool StartVornic(WindowServices& services);

}  // namespace vornic
