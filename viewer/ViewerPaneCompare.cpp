// "Построчное сравнение" on the two sides of the open node.
#include "viewer/ViewerPane.h"

namespace kw {

void ViewerPane::compareVisiblePair() {}

} // namespace kw
