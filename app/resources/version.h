#pragma once
// The program's version: the one place it is written. The version resource carries it and
// the program reads it back from there at start-up.
#define CARDO_VERSION_MAJOR 3
#define CARDO_VERSION_MINOR 0
#define CARDO_VERSION_BUILD 0
#define CARDO_VERSION_TEXT "3.00"
