#pragma once
// A text report as an HTML page for the browser: one <pre> block per page
// in a fixed-pitch font, page breaks between pages, UTF-8.

#include "PageSink.h"

#include <QFile>
#include <memory>

namespace folha {

class HtmlSink : public PageSink {
public:
    explicit HtmlSink(const QString& path);
    void begin(const ReportJobInfo& info) override;
    void page(const TextPage& page) override;
    void end() override;

private:
    QString path_;
    std::unique_ptr<QFile> file_;
};

} // namespace folha
