#pragma once
// The benchmarks of the S-1200 measure the remuneration events alone.
#include "Esocial.h"

#include <vector>

namespace folha::benchmarks {

// The periodic builder keeping only the S-1200: the other events it makes
// (S-1210, S-1299) are dropped as it hands its drafts over to the generation.
inline folha::esocial::Builder OnlyRemunerationEvents(folha::esocial::Builder build) {
    using folha::esocial::Draft;
    return [build](folha::esocial::Context& ctx, std::vector<Draft>& out) {
        const auto generation = ctx.drain();
        auto keep = [&out](std::vector<Draft>& built) {
            for (Draft& d : built)
                if (d.type == QLatin1String("S-1200")) out.push_back(std::move(d));
            built.clear();
        };
        std::vector<Draft> all;
        ctx.setDrain([&](std::vector<Draft>& built) {
            keep(built);
            if (generation) generation(out);
        });
        build(ctx, all);
        ctx.setDrain(generation);
        keep(all);
    };
}

} // namespace folha::benchmarks
