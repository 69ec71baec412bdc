#pragma once
// A destination that counts the pages it passes on to another one: the
// benchmarks' page count of a report written to any destination.
#include "PageSink.h"

namespace folha::benchmarks {

struct CountingSink : PageSink {
    explicit CountingSink(PageSink& inner) : inner(inner) {}
    void begin(const ReportJobInfo& info) override { inner.begin(info); }
    void page(const TextPage& p) override {
        ++pages;
        inner.page(p);
    }
    void end() override { inner.end(); }
    PageSink& inner;
    int pages = 0;
};

} // namespace folha::benchmarks
