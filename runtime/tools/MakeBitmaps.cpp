// Draws Corvane's default setup pictures: the wizard's side panel (164 x 314) and the header
// emblem (55 x 55), as 24-bit BMP files. Usage: corvane_make_bitmaps WIZARD.bmp HEADER.bmp
//
// The pictures are computed, not stored, so the repository carries no binary art and a fresh
// machine needs no image tool: a dusk gradient with a wing-like sweep of feathers (the corvid
// that lends Corvane its name) and a matching round emblem for the header.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

constexpr Rgb kDusk{18, 38, 74};
constexpr Rgb kTeal{26, 120, 134};
constexpr Rgb kFeather{235, 242, 246};
constexpr Rgb kGold{236, 178, 64};

class Picture {
public:
    Picture(int width, int height)
        : m_width(width), m_height(height), m_pixels(std::size_t(width) * height) {}
    Rgb& at(int x, int y) { return m_pixels[std::size_t(y) * m_width + x]; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    bool save(const std::string& path) const {
        const int rowBytes = (m_width * 3 + 3) & ~3;  // BMP rows are padded to 4 bytes
        const std::uint32_t dataSize = std::uint32_t(rowBytes) * m_height;
        std::vector<unsigned char> out;
        auto put16 = [&](std::uint32_t v) {
            out.push_back(v & 0xFF);
            out.push_back((v >> 8) & 0xFF);
        };
        auto put32 = [&](std::uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        out.push_back('B');
        out.push_back('M');
        put32(54 + dataSize);
        put32(0);
        put32(54);
        put32(40);
        put32(std::uint32_t(m_width));
        put32(std::uint32_t(m_height));  // positive: bottom-up rows
        put16(1);
        put16(24);
        put32(0);
        put32(dataSize);
        put32(3780);  // 96 DPI
        put32(3780);
        put32(0);
        put32(0);
        for (int y = m_height - 1; y >= 0; --y) {
            for (int x = 0; x < m_width; ++x) {
                const Rgb& p = m_pixels[std::size_t(y) * m_width + x];
                out.push_back(channel(p.b));
                out.push_back(channel(p.g));
                out.push_back(channel(p.r));
            }
            for (int pad = m_width * 3; pad < rowBytes; ++pad)
                out.push_back(0);
        }
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
        return bool(file);
    }

private:
    static unsigned char channel(double v) {
        return static_cast<unsigned char>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
    }
    int m_width;
    int m_height;
    std::vector<Rgb> m_pixels;
};

// Soft-edged coverage of a point by a disc, so curves are drawn without jagged steps.
double disc(double x, double y, double cx, double cy, double radius) {
    const double d = std::hypot(x - cx, y - cy);
    return std::fmin(1.0, std::fmax(0.0, radius - d + 0.5));
}

void drawFeathers(Picture& pic, double cx, double cy, double scale) {
    // Five feathers fanning out from one point, each a long thin ellipse.
    for (int f = 0; f < 5; ++f) {
        const double angle = -0.35 - f * 0.28;
        const double length = scale * (1.0 - f * 0.12);
        const double ca = std::cos(angle), sa = std::sin(angle);
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < pic.width(); ++x) {
                const double dx = x - cx, dy = y - cy;
                const double u = dx * ca + dy * sa;   // along the feather
                const double v = -dx * sa + dy * ca;  // across it
                if (u < 0 || u > length) continue;
                const double half = scale * 0.09 * std::sin(3.14159 * u / length);
                const double cover = std::fmin(1.0, std::fmax(0.0, half - std::fabs(v) + 0.5));
                if (cover > 0) pic.at(x, y) = mix(pic.at(x, y), kFeather, cover * (0.55 + 0.09 * f));
            }
    }
}

Picture wizard() {
    Picture pic(164, 314);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            const double t = (y + 0.4 * x) / (pic.height() + 0.4 * pic.width());
            pic.at(x, y) = mix(kDusk, kTeal, t);
        }
    drawFeathers(pic, 30, 250, 150);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            pic.at(x, y) = mix(pic.at(x, y), kGold, disc(x, y, 122, 58, 16));
    return pic;
}

Picture header() {
    Picture pic(55, 55);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            const double inside = disc(x, y, 27, 27, 25);
            pic.at(x, y) = mix(Rgb{255, 255, 255}, mix(kDusk, kTeal, y / 55.0), inside);
        }
    drawFeathers(pic, 12, 44, 40);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            pic.at(x, y) = mix(pic.at(x, y), kGold, disc(x, y, 38, 16, 5));
    return pic;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WIZARD.bmp HEADER.bmp\n", argv[0]);
        return 2;
    }
    if (!wizard().save(argv[1]) || !header().save(argv[2])) {
        std::fprintf(stderr, "corvane_make_bitmaps: cannot write %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
