#include "gui/interfaccia_finestra.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <type_traits>

#include "platform/scelta_interfaccia.h"

namespace compattatore {

namespace {

// Title of both windows: the program's own name.
constexpr const char* titolo = "compattatore";

// The waiting window, laid out in twips at 15 twips per pixel: client area 4200 x 2688,
// the label at left 960, top 960, width 2652, height 792.
constexpr int twips_per_pixel = 15;
constexpr int in_pixel(int twips) {
    return (twips + twips_per_pixel / 2) / twips_per_pixel;
}
constexpr int larghezza_attesa = in_pixel(4200);  // 280
constexpr int altezza_attesa = in_pixel(2688);    // 179
constexpr int etichetta_x = in_pixel(960);        // 64
constexpr int etichetta_y = in_pixel(960);        // 64
constexpr int etichetta_w = in_pixel(2652);       // 177 (176.8)
constexpr int etichetta_h = in_pixel(792);        // 53 (52.8)
// 24 points at 15 twips per pixel (20 twips per point) is 32 pixels; FLTK sizes in pixels.
constexpr Fl_Fontsize corpo_etichetta = 24 * 20 / twips_per_pixel;

// The error box: the message (wrapped at its blanks when long), the OK button centred below.
constexpr int margine = 16;
constexpr int larghezza_ok = 90;
constexpr int altezza_ok = 26;
constexpr int larghezza_minima_box = 220;
constexpr int larghezza_massima_testo = 560;

int pausa_di_prova_ms() {
    const char* valore = std::getenv(variabile_prova_attesa);
    if (valore == nullptr || *valore == '\0') return 0;
    char* fine = nullptr;
    const long ms = std::strtol(valore, &fine, 10);
    if (fine == valore || *fine != '\0' || ms <= 0) return 0;
    return static_cast<int>(std::min(ms, 60000L));
}

// FLTK reads "@" in a label as the start of a symbol; doubled, it is drawn as itself. A
// platform error can carry one in a file name.
std::string senza_simboli(const std::string& testo) {
    std::string etichetta;
    for (const char c : testo) {
        etichetta += c;
        if (c == '@') etichetta += '@';
    }
    return etichetta;
}

void chiudi_box(Fl_Widget* pulsante, void*) {
    pulsante->window()->hide();
}

// Label1: its text starts at the label's top left corner, with no inner margin. The bold
// sans-serif that stands in for the original face can be a few pixels wider than the label
// at 24 points; the text then runs on over the window's background instead of losing its
// last letter.
class Etichetta : public Fl_Box {
  public:
    using Fl_Box::Fl_Box;

  protected:
    void draw() override {
        fl_font(labelfont(), labelsize());
        fl_color(labelcolor());
        fl_draw(label(), x(), y(), w(), h(), FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT, nullptr, 0);
    }
};

class InterfacciaFinestra : public Interfaccia {
  public:
    ~InterfacciaFinestra() override { chiudi_attesa(); }

    void mostra_attesa() override {
        if (!attesa_) {
            attesa_ = std::make_unique<Fl_Window>(larghezza_attesa, altezza_attesa, titolo);
            // A widget made while a window is open belongs to it and goes with it; the
            // analyzer cannot see that hand-over.
            // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
            auto* etichetta =
                new Etichetta(etichetta_x, etichetta_y, etichetta_w, etichetta_h, "Attendere");
            etichetta->labelfont(FL_HELVETICA_BOLD);
            etichetta->labelsize(corpo_etichetta);
            etichetta->labelcolor(FL_BLACK);
            attesa_->end();
            // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
        }
        // The run does its work without handling events, so the window is painted here,
        // once, and stays as it is until the end.
        attesa_->show();
        attesa_->wait_for_expose();
        Fl::flush();
        XSync(fl_display, False);

        if (const int ms = pausa_di_prova_ms(); ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
    }

    void chiudi_attesa() override {
        if (attesa_ && attesa_->shown()) {
            attesa_->hide();
            Fl::flush();
        }
    }

    void mostra_errore(const std::string& testo) override {
        // Also on standard error, for a run started from a terminal or a script.
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", testo.c_str());
        std::fflush(stderr);

        const std::string etichetta = senza_simboli(testo);
        fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
        // A long report (a file name) wraps at its blanks rather than widening the box
        // past the screen.
        int w = larghezza_massima_testo;
        int h = 0;
        fl_measure(etichetta.c_str(), w, h);
        // FLTK keeps 3 pixels on either side of a left-aligned label.
        const int larghezza = std::max(larghezza_minima_box, w + 6 + 2 * margine);
        const int altezza = margine + h + margine + altezza_ok + margine;

        // The window owns and deletes its widgets (a hand-over the analyzer cannot see).
        // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
        Fl_Window box(larghezza, altezza, titolo);
        auto* messaggio =
            new Fl_Box(FL_NO_BOX, margine, margine, larghezza - 2 * margine, h, nullptr);
        messaggio->copy_label(etichetta.c_str());
        messaggio->labelfont(FL_HELVETICA);
        messaggio->labelsize(FL_NORMAL_SIZE);
        messaggio->labelcolor(FL_BLACK);
        messaggio->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_WRAP);
        auto* ok = new Fl_Button((larghezza - larghezza_ok) / 2, margine + h + margine,
                                 larghezza_ok, altezza_ok, "OK");
        ok->shortcut(FL_Enter);
        ok->callback(chiudi_box);
        box.end();
        // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
        box.set_modal();
        box.position((Fl::w() - larghezza) / 2, (Fl::h() - altezza) / 2);
        box.show();
        // Until the person closes it: OK, Enter, Escape or the window's own close button.
        while (box.shown()) Fl::wait();
        Fl::flush();
    }

  private:
    std::unique_ptr<Fl_Window> attesa_;
};

}  // namespace

std::unique_ptr<Interfaccia> crea_interfaccia_finestra() {
    const char* nome = std::getenv("DISPLAY");
    if (nome == nullptr || *nome == '\0') return nullptr;
    // FLTK ends the program when it cannot open the display itself, so the display is
    // opened here first and handed over only when it works. A local server can turn a
    // connection away for a moment (a reset, a full queue), and Xlib's errno does not tell
    // that from a server that is not there, so it is tried again for half a second before
    // the run settles for the terminal.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    Display* display = XOpenDisplay(nullptr);
    while (display == nullptr && std::chrono::steady_clock::now() < limite) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        display = XOpenDisplay(nullptr);
    }
    if (display == nullptr) return nullptr;
    fl_open_display(display);
    return std::make_unique<InterfacciaFinestra>();
}

}  // namespace compattatore

// The loader finds it by the name and calls it through the type it expects.
static_assert(
    std::is_same_v<decltype(&compattatore_crea_finestra), compattatore::EntrataModuloFinestra>);

extern "C" compattatore::Interfaccia* compattatore_crea_finestra() noexcept {
    // Nothing may escape into a caller that only knows a C entry point: a failure here is a
    // run on the terminal.
    try {
        return compattatore::crea_interfaccia_finestra().release();
    } catch (...) {
        return nullptr;
    }
}
