#include "platform/righe_errore.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <ostream>
#include <string>
#include <vector>

namespace compattatore {
namespace {

// Every write that reaches the file, as it came.
ssize_t registra(void* scritture, const char* dati, size_t quanti) {
    static_cast<std::vector<std::string>*>(scritture)->emplace_back(dati, quanti);
    return static_cast<ssize_t>(quanti);
}

// A message put together piece by piece reaches the file as one write per line, as soon as
// the line ends, whatever the stream flushes in between; a last piece without its end goes
// out when the stream is released.
TEST(RigheErrore, OneWriteALineAsSoonAsItEnds) {
    std::vector<std::string> scritture;
    cookie_io_functions_t funzioni{};
    funzioni.write = registra;
    std::FILE* f = ::fopencookie(&scritture, "w", funzioni);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::setvbuf(f, nullptr, _IONBF, 0), 0);
    {
        RigheErrore righe(f);
        std::ostream out(&righe);
        out << std::unitbuf;
        out << "compattatore: warning " << 12 << ": no free cell"
            << " (position " << 50 << " m)\n";
        EXPECT_EQ(scritture, std::vector<std::string>{
                                 "compattatore: warning 12: no free cell (position 50 m)\n"});
        out << "two\nlines\n" << 'a' << std::flush << "nd" << std::endl << "no end";
        EXPECT_EQ(scritture.size(), 3u);
    }
    std::fclose(f);
    EXPECT_EQ(scritture,
              (std::vector<std::string>{"compattatore: warning 12: no free cell (position 50 m)\n",
                                        "two\nlines\n", "and\n", "no end"}));
}

}  // namespace
}  // namespace compattatore
