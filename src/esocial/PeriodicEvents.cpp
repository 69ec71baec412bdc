// S-1200, S-1210 and S-1299: the month's pay per worker, the payments and
// the closing of the month.
#include "Generator.h"

namespace folha::esocial {

void BuildPeriodicEvents(Context&, std::vector<Draft>&) {}

} // namespace folha::esocial
