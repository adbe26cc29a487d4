// Draws the program's pictures and writes them as .ico files: a television
// with an arrow into its screen (the program and its window) and an open box
// (the install button). Shapes are given in a 0..1 square and filled with
// 4 x 4 supersampling, so that every size is drawn, not scaled.
//
//   draw_icons <output folder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Colour {
    double r, g, b, a;
};

struct Point {
    double x, y;
};

using Shape = std::function<bool(double, double)>;
using Paint = std::function<Colour(double, double)>;

class Canvas {
  public:
    explicit Canvas(int size) : size_(size), pixels_(size * size, Colour{0, 0, 0, 0}) {}

    void fill(const Shape& shape, const Paint& paint) {
        constexpr int n = 4;
        for (int py = 0; py < size_; ++py)
            for (int px = 0; px < size_; ++px) {
                int covered = 0;
                double cx = 0, cy = 0;
                for (int sy = 0; sy < n; ++sy)
                    for (int sx = 0; sx < n; ++sx) {
                        const double x = (px + (sx + 0.5) / n) / size_, y = (py + (sy + 0.5) / n) / size_;
                        if (shape(x, y)) ++covered, cx += x, cy += y;
                    }
                if (!covered) continue;
                Colour c = paint(cx / covered, cy / covered);
                c.a *= double(covered) / (n * n);
                Colour& d = pixels_[py * size_ + px];
                const double a = c.a + d.a * (1 - c.a);
                if (a <= 0) continue;
                d = {(c.r * c.a + d.r * d.a * (1 - c.a)) / a, (c.g * c.a + d.g * d.a * (1 - c.a)) / a,
                     (c.b * c.a + d.b * d.a * (1 - c.a)) / a, a};
            }
    }
    void fill(const Shape& shape, Colour colour) {
        fill(shape, [colour](double, double) { return colour; });
    }

    int size() const { return size_; }
    const Colour& at(int x, int y) const { return pixels_[y * size_ + x]; }

  private:
    int size_;
    std::vector<Colour> pixels_;
};

Colour rgb(int hex, double alpha = 1) {
    return {((hex >> 16) & 255) / 255.0, ((hex >> 8) & 255) / 255.0, (hex & 255) / 255.0, alpha};
}

Colour mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Shape roundRect(double x0, double y0, double x1, double y1, double r) {
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        const double dx = std::max({x0 + r - x, 0.0, x - (x1 - r)});
        const double dy = std::max({y0 + r - y, 0.0, y - (y1 - r)});
        return dx * dx + dy * dy <= r * r;
    };
}

// Even-odd rule, so any simple polygon will do.
Shape polygon(std::vector<Point> points) {
    return [points = std::move(points)](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point &a = points[i], &b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
        }
        return inside;
    };
}

Shape grown(const Shape& shape, double by) {
    return [=](double x, double y) {
        for (double a = 0; a < 6.2831; a += 0.785)
            if (shape(x + by * std::cos(a), y + by * std::sin(a))) return true;
        return shape(x, y);
    };
}

// A television on a foot, with a yellow arrow pointing down into its screen.
Canvas television(int size) {
    Canvas c(size);
    const double px = 1.0 / size; // outlines stay at least a pixel wide
    c.fill(polygon({{0.40, 0.80}, {0.60, 0.80}, {0.66, 0.92}, {0.34, 0.92}}), rgb(0x3a3f47));
    c.fill(roundRect(0.26, 0.90, 0.74, 0.96, 0.02), rgb(0x2b2f36));
    c.fill(roundRect(0.04, 0.16, 0.96, 0.84, 0.07), rgb(0x22262c));
    c.fill(roundRect(0.09, 0.21, 0.91, 0.76, 0.03),
           [](double, double y) { return mix(rgb(0x2f80ed), rgb(0x56ccf2), (y - 0.21) / 0.55); });
    c.fill(roundRect(0.46, 0.79, 0.54, 0.81, 0.01), rgb(0x6fcf97));
    const Shape arrow = polygon(
        {{0.41, 0.04}, {0.59, 0.04}, {0.59, 0.40}, {0.73, 0.40}, {0.50, 0.68}, {0.27, 0.40}, {0.41, 0.40}});
    c.fill(grown(arrow, std::max(0.025, px)), rgb(0x22262c));
    c.fill(arrow, [](double, double y) { return mix(rgb(0xffe27a), rgb(0xf2994a), (y - 0.04) / 0.64); });
    return c;
}

// A cardboard box seen from the front, its two top flaps open.
Canvas openBox(int size) {
    Canvas c(size);
    const double px = 1.0 / size;
    const double line = std::max(0.03, px);
    const Shape inside = polygon({{0.14, 0.40}, {0.86, 0.40}, {0.80, 0.30}, {0.20, 0.30}});
    const Shape leftFlap = polygon({{0.14, 0.40}, {0.50, 0.40}, {0.30, 0.14}, {0.02, 0.22}});
    const Shape rightFlap = polygon({{0.50, 0.40}, {0.86, 0.40}, {0.98, 0.22}, {0.70, 0.14}});
    const Shape front = polygon({{0.14, 0.40}, {0.86, 0.40}, {0.86, 0.92}, {0.14, 0.92}});
    const Colour outline = rgb(0x5a3a1c);
    c.fill(grown(inside, line), outline);
    c.fill(inside, rgb(0x7a4f27));
    for (const Shape& flap : {leftFlap, rightFlap}) {
        c.fill(grown(flap, line), outline);
        c.fill(flap, [](double, double y) { return mix(rgb(0xe0a96d), rgb(0xc8894a), (0.40 - y) / 0.26); });
    }
    c.fill(grown(front, line), outline);
    c.fill(front, [](double x, double) { return mix(rgb(0xd99a57), rgb(0xb97836), (x - 0.14) / 0.72); });
    c.fill(roundRect(0.44, 0.40, 0.56, 0.62, 0.0), rgb(0xf3d9a4, 0.9)); // tape
    return c;
}

void put16(std::string& out, unsigned v) {
    out += char(v & 255), out += char(v >> 8 & 255);
}
void put32(std::string& out, unsigned v) {
    put16(out, v & 0xffff), put16(out, v >> 16);
}

// One icon image: a 32-bit bottom-up DIB with alpha, then the AND mask.
std::string dib(const Canvas& c) {
    const int n = c.size();
    std::string out;
    put32(out, 40), put32(out, n), put32(out, 2 * n), put16(out, 1), put16(out, 32);
    for (int i = 0; i < 6; ++i) put32(out, 0);
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) {
            const Colour& p = c.at(x, y);
            auto byte = [](double v) { return char(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
            out += byte(p.b), out += byte(p.g), out += byte(p.r), out += byte(p.a);
        }
    const int rowBytes = (n + 31) / 32 * 4;
    for (int y = n - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < n; ++x)
            if (c.at(x, y).a < 1.0 / 255) row[x / 8] |= char(0x80 >> (x % 8));
        out += row;
    }
    return out;
}

void writeIcon(const std::string& path, const std::vector<Canvas>& images) {
    std::string head, body;
    put16(head, 0), put16(head, 1), put16(head, static_cast<unsigned>(images.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(images.size());
    for (const Canvas& image : images) {
        const std::string data = dib(image);
        head += char(image.size() >= 256 ? 0 : image.size());
        head += char(image.size() >= 256 ? 0 : image.size());
        head += '\0', head += '\0';
        put16(head, 1), put16(head, 32), put32(head, static_cast<unsigned>(data.size())), put32(head, offset);
        offset += static_cast<unsigned>(data.size());
        body += data;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(head.data(), 1, head.size(), f) != head.size() ||
        std::fwrite(body.data(), 1, body.size(), f) != body.size() || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_icons <output folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<Canvas> program;
    for (int size : {16, 24, 32, 48, 256}) program.push_back(television(size));
    writeIcon(dir + "/program.ico", program);
    writeIcon(dir + "/window.ico", {television(64)});
    std::vector<Canvas> box;
    for (int size : {16, 24, 32, 36, 48}) box.push_back(openBox(size));
    writeIcon(dir + "/install.ico", box);
}
