#pragma once
// Registers the window classes of the custom controls, so that dialog templates can place them
// by name ("Cardo.UpDownTextBox", "Cardo.VoButton", "Cardo.VoPanel"). False when one failed.
namespace cardo {
bool RegisterCustomControls();
}  // namespace cardo
