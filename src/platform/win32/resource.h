// Resource identifiers shared by vornic.rc and the code.
#pragma once

// The program icon: the first icon resource, so Windows shows it for the .exe.
#define IDI_VORNIC 1
