// S-1000, S-1005, S-1010 and S-1020: the employer, its branches, its
// event chart and its tax allocations.
#include "Generator.h"

namespace folha::esocial {

void BuildTableEvents(Context&, std::vector<Draft>&) {}

} // namespace folha::esocial
