#include "CairoPdfCanvas.h"

#include "DbError.h"
#include "FileErrors.h"

#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

namespace folha {

namespace {

// The resolution the pages are laid out at: the one the PDF writer of the
// QPainter canvas had, so that the same page falls on the same places.
constexpr double Dpi = 300;

// One weight of the report font: its file, cairo's face for it and the
// measures in font units the metrics are computed from.
struct FaceInfo {
    QByteArray file;
    int index = 0;
    cairo_font_face_t* face = nullptr; // kept for the life of the process
    double unitsPerEm = 2048;
    double ascender = 0;  // above the baseline
    double descender = 0; // below the baseline, positive
    double lineGap = 0;
    double advance = 0; // of "M"; every glyph is as wide
};

// The file of Liberation Mono of that weight: the one fontconfig gives for
// the family, else the one in the system's Liberation folders.
QByteArray findFontFile(bool bold, int& index) {
    index = 0;
    QByteArray found;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(
        bold ? "Liberation Mono:weight=bold:slant=0" : "Liberation Mono:weight=regular:slant=0"));
    if (pattern) {
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            FcChar8* family = nullptr;
            FcChar8* file = nullptr;
            int weight = 0;
            if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
                QByteArray(reinterpret_cast<const char*>(family)) == "Liberation Mono" &&
                (FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) != FcResultMatch ||
                 (weight >= FC_WEIGHT_BOLD) == bold)) {
                found = reinterpret_cast<const char*>(file);
                FcPatternGetInteger(match, FC_INDEX, 0, &index);
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    if (!found.isEmpty()) return found;
    index = 0;
    const QDir fonts(QStringLiteral("/usr/share/fonts/truetype"));
    const QString name = bold ? QStringLiteral("/LiberationMono-Bold.ttf") : QStringLiteral("/LiberationMono-Regular.ttf");
    for (const QString& folder : fonts.entryList({QStringLiteral("liberation*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString file = fonts.filePath(folder + name);
        if (QFile::exists(file)) return QFile::encodeName(file);
    }
    return {};
}

FaceInfo loadFace(bool bold) {
    FaceInfo info;
    info.file = findFontFile(bold, info.index);
    if (info.file.isEmpty()) return info;
    // The measures in font units, read once.
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) == 0) {
        FT_Face face = nullptr;
        if (FT_New_Face(library, info.file.constData(), info.index, &face) == 0) {
            info.unitsPerEm = face->units_per_EM;
            info.ascender = face->ascender;
            info.descender = -face->descender;
            info.lineGap = std::max<double>(0, face->height - face->ascender + face->descender);
            if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
                info.ascender = hhea->Ascender;
                info.descender = -hhea->Descender;
                info.lineGap = hhea->Line_Gap;
            }
            FT_Fixed advance = 0;
            if (FT_Get_Advance(face, FT_Get_Char_Index(face, 'M'), FT_LOAD_NO_SCALE, &advance) == 0)
                info.advance = double(advance);
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library);
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(info.file.constData()));
    FcPatternAddInteger(pattern, FC_INDEX, info.index);
    info.face = cairo_ft_font_face_create_for_pattern(pattern);
    FcPatternDestroy(pattern);
    if (cairo_font_face_status(info.face) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(info.face);
        info.face = nullptr;
    }
    return info;
}

const FaceInfo& faceInfo(bool bold) {
    static const FaceInfo regular = loadFace(false);
    static const FaceInfo heavy = loadFace(true);
    return bold ? heavy : regular;
}

UserError fontMissing() {
    return UserError(QStringLiteral("A fonte Liberation Mono não está instalada: instale o pacote fonts-liberation2."));
}

// Writes cairo's output to the file; after a failure (or once the document
// is abandoned) nothing more is written.
struct Output {
    QFile file;
    QByteArray* memory = nullptr; // the document kept in memory instead of a file
    bool failed = false;
    bool abandoned = false;
};

cairo_status_t writeOutput(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<Output*>(closure);
    if (out->failed || out->abandoned) return CAIRO_STATUS_WRITE_ERROR;
    if (out->memory) {
        out->memory->append(reinterpret_cast<const char*>(data), qsizetype(length));
        return CAIRO_STATUS_SUCCESS;
    }
    if (out->file.write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length)) {
        out->failed = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

constexpr quint32 NoGlyph = 0xFFFFFFFFu;

// Black, and the thinnest line of the printer: one dot, squared ends.
void setPen(cairo_t* cr) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
}

// The glyphs of one weight, looked up once per character.
struct GlyphCache {
    std::array<quint32, 256> latin;
    std::unordered_map<char32_t, quint32> other;
    GlyphCache() { latin.fill(NoGlyph); }
};

} // namespace

CanvasFontMetrics CairoPdfCanvas::FontMetricsAt(double points, bool bold, double dpi) {
    const FaceInfo& f = faceInfo(bold);
    if (f.file.isEmpty()) throw fontMissing();
    const double pixels = std::round(points * dpi / 72.0);
    // 26.6 fixed point, as FreeType gives them.
    auto rounded = [&](double units) { return std::round(units * pixels * 64 / f.unitsPerEm) / 64; };
    CanvasFontMetrics m;
    m.advance = std::floor(f.advance * pixels * 64 / f.unitsPerEm) / 64;
    m.ascent = rounded(f.ascender);
    m.descent = rounded(f.descender);
    m.lineSpacing = m.ascent + m.descent + rounded(f.lineGap);
    return m;
}

// The pages are described on the caller's thread and drawn by cairo on a
// second one, a few pages behind (a document kept in memory, a statement
// mailed, is drawn as it is described). What the caller's thread keeps:
// the glyphs waiting for their font's turn and the lines waiting to be
// stroked, as the list of cairo's calls they become (`Op`); what the
// drawing thread keeps: cairo's fonts, glyph numbers and recorded stamps.
// The calls reach cairo in the order a single thread would make them, so
// the file is the same byte for byte.
struct CairoPdfCanvas::Impl {
    QString path;
    Output out;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr; // the page's
    cairo_matrix_t ctm{};
    cairo_font_options_t* options = nullptr;
    double width = 0, height = 0;
    bool finished = false;

    // ---- described here
    std::map<std::pair<double, bool>, CanvasFontMetrics> metrics;
    // One call to cairo. Glyphs carry their character as index until the
    // drawing thread puts the font's glyph number in its place.
    struct Op {
        enum class Kind : quint8 { MoveTo, LineTo, Rectangle, Stroke, Glyphs, ShowPage, BeginStamp, EndStamp, PlaceStamp };
        Kind kind;
        bool bold = false;
        double a = 0, b = 0, c = 0, d = 0; // points, sizes; a font's size in `a`
        quint32 first = 0, count = 0;      // the glyphs of a Glyphs call
        int stamp = -1;
    };
    struct Batch {
        std::vector<Op> ops;
        std::vector<cairo_glyph_t> glyphs;
    };
    Batch batch;
    // The glyphs not yet drawn, by font: cairo's work for each drawing is
    // about the same for three glyphs as for three hundred, so the texts of
    // a page are drawn a few hundred glyphs at a time (more at once is
    // slower again: the lists no longer stay in the processor's cache).
    static constexpr size_t GlyphBatch = 256;
    struct Pending {
        double size;
        bool bold;
        std::vector<cairo_glyph_t> glyphs;
    };
    std::vector<Pending> pending;
    bool pathPending = false; // lines and rectangles not yet stroked
    QHash<QString, int> stampIds; // the stamps described so far, by key
    int stampCount = 0;

    // ---- drawn there
    cairo_t* drawing = nullptr; // the page's, or a stamp's being recorded
    cairo_surface_t* recordingSurface = nullptr;
    std::map<std::pair<double, bool>, cairo_scaled_font_t*> fonts;
    GlyphCache glyphs[2];
    std::vector<cairo_surface_t*> stamps; // by number

    // ---- between the two
    bool threaded = false;
    std::thread worker;
    std::mutex mutex;
    std::condition_variable ready, room;
    std::deque<Batch> queue;
    static constexpr size_t QueuedPages = 8; // memory stays flat however long the document
    bool closing = false, stopping = false;
    std::atomic<bool> failed{false}; // a drawing failed: the document is lost

    // The font size whose advance is `pitch`: the glyphs follow one another
    // as the font places them, and the file says each run as one string (no
    // offset for each glyph).
    static double sizeFor(double pitch, bool bold) {
        const FaceInfo& info = faceInfo(bold);
        if (!info.face || info.advance <= 0) throw fontMissing();
        return pitch * info.unitsPerEm / info.advance;
    }

    std::vector<cairo_glyph_t>& pendingFor(double size, bool bold) {
        for (Pending& p : pending)
            if (p.size == size && p.bold == bold) return p.glyphs;
        pending.push_back({size, bold, {}});
        return pending.back().glyphs;
    }

    void add(Op op) { batch.ops.push_back(op); }

    void draw(double size, bool bold, std::vector<cairo_glyph_t>& list) {
        if (list.empty()) return;
        Op op{Op::Kind::Glyphs};
        op.a = size;
        op.bold = bold;
        op.first = quint32(batch.glyphs.size());
        op.count = quint32(list.size());
        batch.glyphs.insert(batch.glyphs.end(), list.begin(), list.end());
        add(op);
        list.clear();
    }

    // Draws what the page holds (glyphs and the path of its lines).
    void flush() {
        for (Pending& p : pending) draw(p.size, p.bold, p.glyphs);
        if (pathPending) add({Op::Kind::Stroke});
        pathPending = false;
    }

    const CanvasFontMetrics& metricsAt(double points, bool bold) {
        auto it = metrics.find({points, bold});
        if (it == metrics.end()) it = metrics.emplace(std::pair{points, bold}, FontMetricsAt(points, bold, Dpi)).first;
        return it->second;
    }

    // Hands the calls described so far to cairo.
    void ship() {
        Batch b = std::exchange(batch, {});
        batch.ops.reserve(b.ops.capacity());
        batch.glyphs.reserve(b.glyphs.capacity());
        if (!threaded) {
            execute(b);
            return;
        }
        if (!worker.joinable()) worker = std::thread([this] { work(); });
        std::unique_lock lock(mutex);
        room.wait(lock, [&] { return queue.size() < QueuedPages || stopping; });
        queue.push_back(std::move(b));
        lock.unlock();
        ready.notify_one();
    }

    // Waits until cairo has drawn everything handed to it (`stop`: drops
    // what it has not begun).
    void join(bool stop) {
        if (!worker.joinable()) return;
        {
            std::lock_guard lock(mutex);
            closing = true;
            stopping = stopping || stop;
        }
        ready.notify_one();
        room.notify_all();
        worker.join();
    }

    void work() {
        for (;;) {
            Batch b;
            {
                std::unique_lock lock(mutex);
                ready.wait(lock, [&] { return !queue.empty() || closing; });
                if (stopping || queue.empty()) return;
                b = std::move(queue.front());
                queue.pop_front();
            }
            room.notify_one();
            try {
                execute(b);
            } catch (...) { // out of memory: the document is lost, said on the caller's side
                failed = true;
            }
        }
    }

    // ---- on the drawing side

    cairo_scaled_font_t* fontFor(double size, bool bold) {
        cairo_scaled_font_t*& f = fonts[{size, bold}];
        if (f) return f;
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, size, size);
        f = cairo_scaled_font_create(faceInfo(bold).face, &matrix, &ctm, options);
        return f;
    }

    quint32 glyph(cairo_scaled_font_t* f, bool bold, char32_t c) {
        GlyphCache& cache = glyphs[bold ? 1 : 0];
        quint32* slot = nullptr;
        if (c < 256) {
            slot = &cache.latin[c];
        } else {
            auto it = cache.other.find(c);
            if (it != cache.other.end()) return it->second;
            slot = &cache.other[c];
        }
        if (*slot != NoGlyph) return *slot;
        *slot = 0;
        if (FT_Face face = cairo_ft_scaled_font_lock_face(f)) {
            *slot = FT_Get_Char_Index(face, FT_ULong(c));
            cairo_ft_scaled_font_unlock_face(f);
        }
        return *slot;
    }

    void execute(Batch& b) {
        for (const Op& op : b.ops) {
            if (failed) return;
            switch (op.kind) {
            case Op::Kind::MoveTo: cairo_move_to(drawing, op.a, op.b); break;
            case Op::Kind::LineTo: cairo_line_to(drawing, op.a, op.b); break;
            case Op::Kind::Rectangle: cairo_rectangle(drawing, op.a, op.b, op.c, op.d); break;
            case Op::Kind::Stroke: cairo_stroke(drawing); break;
            case Op::Kind::Glyphs: {
                cairo_scaled_font_t* f = fontFor(op.a, op.bold);
                cairo_glyph_t* list = b.glyphs.data() + op.first;
                for (quint32 i = 0; i < op.count; ++i) list[i].index = glyph(f, op.bold, char32_t(list[i].index));
                cairo_set_scaled_font(drawing, f);
                cairo_show_glyphs(drawing, list, int(op.count));
                break;
            }
            case Op::Kind::ShowPage:
                cairo_show_page(drawing);
                if (cairo_status(drawing) != CAIRO_STATUS_SUCCESS) failed = true;
                break;
            case Op::Kind::BeginStamp: {
                // Recorded in points at the page's scale, without the margin,
                // so the page's fonts serve it; a border line's outer half
                // falls just outside the drawing's corner, hence the room
                // around it.
                const double toPoints = 72.0 / Dpi;
                const double room = 4 * toPoints;
                const cairo_rectangle_t extents{-room, -room, width * toPoints + 2 * room, height * toPoints + 2 * room};
                recordingSurface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
                drawing = cairo_create(recordingSurface);
                cairo_scale(drawing, toPoints, toPoints);
                setPen(drawing);
                break;
            }
            case Op::Kind::EndStamp: {
                const cairo_status_t status = cairo_status(drawing);
                cairo_destroy(drawing);
                drawing = cr;
                if (stamps.size() <= size_t(op.stamp)) stamps.resize(size_t(op.stamp) + 1, nullptr);
                stamps[size_t(op.stamp)] = std::exchange(recordingSurface, nullptr);
                if (status != CAIRO_STATUS_SUCCESS) failed = true;
                break;
            }
            case Op::Kind::PlaceStamp:
                cairo_save(drawing);
                cairo_translate(drawing, op.a, op.b);
                cairo_scale(drawing, Dpi / 72.0, Dpi / 72.0);
                cairo_set_source_surface(drawing, stamps[size_t(op.stamp)], 0, 0);
                cairo_paint(drawing);
                cairo_restore(drawing);
                break;
            }
        }
    }

    // ---- both sides stopped

    void releaseFonts() {
        pending.clear();
        batch = {};
        if (drawing && drawing != cr) cairo_destroy(drawing);
        drawing = cr;
        if (recordingSurface) cairo_surface_destroy(recordingSurface);
        recordingSurface = nullptr;
        for (cairo_surface_t* stamp : stamps)
            if (stamp) cairo_surface_destroy(stamp);
        stamps.clear();
        for (auto& [key, f] : fonts)
            if (f) cairo_scaled_font_destroy(f);
        fonts.clear();
    }

    void release() {
        join(true);
        releaseFonts();
        if (cr) cairo_destroy(cr);
        cr = drawing = nullptr;
        if (surface) cairo_surface_destroy(surface);
        surface = nullptr;
        if (options) cairo_font_options_destroy(options);
        options = nullptr;
    }

    [[noreturn]] void fail() {
        join(true);
        out.abandoned = true;
        release();
        if (out.memory) {
            out.memory->clear();
            throw UserError(QStringLiteral("Não foi possível compor o PDF."));
        }
        QString message;
        if (out.file.error() != QFileDevice::NoError)
            message = FileErrorText(out.file, path);
        else
            message = QStringLiteral("Não foi possível gravar o arquivo %1: erro ao compor o PDF.").arg(path);
        out.file.close();
        if (QFileInfo(path).isFile()) QFile::remove(path);
        throw UserError(message);
    }
};

CairoPdfCanvas::CairoPdfCanvas(const QString& path, Orientation orientation, const QString& title,
                               const QString& creator)
    : d_(std::make_unique<Impl>()) {
    d_->path = path;
    d_->threaded = true;
    d_->out.file.setFileName(path);
    if (!d_->out.file.open(QIODevice::WriteOnly)) throw UserError(FileErrorText(d_->out.file, path));
    init(orientation, title, creator);
}

CairoPdfCanvas::CairoPdfCanvas(QByteArray& memory, Orientation orientation, const QString& title,
                               const QString& creator)
    : d_(std::make_unique<Impl>()) {
    memory.clear();
    d_->out.memory = &memory;
    init(orientation, title, creator);
}

void CairoPdfCanvas::init(Orientation orientation, const QString& title, const QString& creator) {
    // The page and its printable area as Qt lays them out.
    const QPageLayout layout(QPageSize(QPageSize::A4),
                             orientation == Orientation::Portrait ? QPageLayout::Portrait : QPageLayout::Landscape,
                             QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    const QRectF page = layout.fullRectPoints();
    const QRect area = layout.paintRectPixels(int(Dpi));
    d_->width = area.width();
    d_->height = area.height();

    d_->surface = cairo_pdf_surface_create_for_stream(writeOutput, &d_->out, page.width(), page.height());
    d_->cr = d_->drawing = cairo_create(d_->surface);
    cairo_pdf_surface_set_metadata(d_->surface, CAIRO_PDF_METADATA_TITLE, title.toUtf8().constData());
    cairo_pdf_surface_set_metadata(d_->surface, CAIRO_PDF_METADATA_CREATOR, creator.toUtf8().constData());

    cairo_t* cr = d_->cr;
    cairo_scale(cr, 72.0 / Dpi, 72.0 / Dpi);
    cairo_translate(cr, area.x(), area.y());
    cairo_get_matrix(cr, &d_->ctm);
    d_->ctm.x0 = d_->ctm.y0 = 0;
    setPen(cr);
    d_->options = cairo_font_options_create();
    cairo_font_options_set_hint_style(d_->options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(d_->options, CAIRO_HINT_METRICS_OFF);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) d_->fail();
}

CairoPdfCanvas::~CairoPdfCanvas() {
    if (d_->finished) return;
    d_->join(true);
    d_->out.abandoned = true;
    d_->release();
    if (d_->out.memory) {
        d_->out.memory->clear();
        return;
    }
    d_->out.file.close();
    if (QFileInfo(d_->path).isFile()) QFile::remove(d_->path);
}

double CairoPdfCanvas::width() const { return d_->width; }
double CairoPdfCanvas::height() const { return d_->height; }
double CairoPdfCanvas::dpi() const { return Dpi; }

const CanvasFontMetrics& CairoPdfCanvas::metrics(double points, bool bold) { return d_->metricsAt(points, bold); }

void CairoPdfCanvas::text(QPointF origin, QStringView text, double points, bool bold, double pitch) {
    (void)points; // the size is the pitch's
    if (text.isEmpty()) return;
    const double size = Impl::sizeFor(pitch, bold);
    std::vector<cairo_glyph_t>& glyphs = d_->pendingFor(size, bold);
    double x = origin.x();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        glyphs.push_back({c, x, origin.y()});
        x += pitch;
    }
    if (glyphs.size() >= Impl::GlyphBatch) d_->draw(size, bold, glyphs);
}

void CairoPdfCanvas::line(QPointF from, QPointF to) {
    d_->add({Impl::Op::Kind::MoveTo, false, from.x(), from.y()});
    d_->add({Impl::Op::Kind::LineTo, false, to.x(), to.y()});
    d_->pathPending = true;
}

void CairoPdfCanvas::rect(const QRectF& r) {
    d_->add({Impl::Op::Kind::Rectangle, false, r.x(), r.y(), r.width(), r.height()});
    d_->pathPending = true;
}

void CairoPdfCanvas::newPage() {
    d_->flush();
    d_->add({Impl::Op::Kind::ShowPage});
    d_->ship();
    if (d_->failed) d_->fail();
}

void CairoPdfCanvas::stamp(const QString& key, QPointF at, const std::function<void(PageCanvas&)>& draw) {
    auto known = d_->stampIds.constFind(key);
    int id = known == d_->stampIds.constEnd() ? -1 : known.value();
    if (id < 0) {
        d_->flush();
        const size_t ops = d_->batch.ops.size(), glyphs = d_->batch.glyphs.size();
        id = d_->stampCount++;
        Impl::Op begin{Impl::Op::Kind::BeginStamp};
        begin.stamp = id;
        d_->add(begin);
        try {
            draw(*this);
            d_->flush();
        } catch (...) {
            // Nothing of a drawing that failed halfway reaches the page.
            d_->pending.clear();
            d_->pathPending = false;
            d_->batch.ops.resize(ops);
            d_->batch.glyphs.resize(glyphs);
            throw;
        }
        Impl::Op end{Impl::Op::Kind::EndStamp};
        end.stamp = id;
        d_->add(end);
        d_->stampIds.insert(key, id);
    }
    Impl::Op place{Impl::Op::Kind::PlaceStamp, false, at.x(), at.y()};
    place.stamp = id;
    d_->add(place);
}

void CairoPdfCanvas::finish() {
    if (d_->finished) return;
    d_->flush();
    d_->ship();
    d_->join(false);
    if (d_->failed || cairo_status(d_->cr) != CAIRO_STATUS_SUCCESS) d_->fail();
    d_->releaseFonts();
    cairo_destroy(d_->cr);
    d_->cr = d_->drawing = nullptr;
    cairo_surface_finish(d_->surface);
    const cairo_status_t status = cairo_surface_status(d_->surface);
    if (status != CAIRO_STATUS_SUCCESS || d_->out.failed) d_->fail();
    cairo_surface_destroy(d_->surface);
    d_->surface = nullptr;
    if (!d_->out.memory) {
        if (!d_->out.file.flush()) d_->fail();
        d_->out.file.close();
        if (d_->out.file.error() != QFileDevice::NoError) d_->fail();
    }
    d_->release();
    d_->finished = true;
}

} // namespace folha
