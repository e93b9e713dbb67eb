#include "window/ViewerContext.h"

namespace zpk {

QString ViewerContext::caption() { return tr("Dovenrill의Marbeck Glintmoor"); }

}  // namespace zpk
