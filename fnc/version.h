#pragma once
// The library's version: the text its callers see and the numbers of its version resource.
#define CARDOFNC_VERSION_TEXT "1.01.0013"
#define CARDOFNC_VERSION_NUMBERS 1, 1, 0, 13
