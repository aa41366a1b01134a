#include "app/generators/generator_windows.h"

namespace cardo {

GeneratorWindows::GeneratorWindows(GeneratorContext context)
    : context_(std::move(context)),
      spreadUrl_(context_, context_.spread ? context_.spread : LibrarySpread(library_)) {}

bool GeneratorWindows::ShowView(int index) {
  switch (index) {
    case 1:
      dropDialog_.Show();
      return true;
    case 3:
      freeInput_.Show();
      return true;
    case 4:
      spreadUrl_.Show();
      return true;
    case 5:
      geneList_.Show();
      return true;
    default:
      return false;
  }
}

void GeneratorWindows::StoreSettings() {
  if (geneList_.IsOpen()) geneList_.Form_QueryUnload();
  if (freeInput_.IsOpen()) freeInput_.Form_QueryUnload();
}

}  // namespace cardo
