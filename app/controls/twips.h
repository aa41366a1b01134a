#pragma once
// Twips (1/1440 inch) <-> pixels, from the screen's DPI on each axis. Window positions and
// sizes that the program stores are in twips.
namespace cardo {

int TwipsPerPixelX();
int TwipsPerPixelY();
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

}  // namespace cardo
