// Placeholder until the proposal of the mapping lands: proposes nothing.
#include "Rubricas.h"

namespace folha::esocial {
int ProposeMissingRubricas(Database&) { return 0; }
} // namespace folha::esocial
