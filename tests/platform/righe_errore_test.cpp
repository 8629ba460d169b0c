#include "platform/righe_errore.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace compattatore {
namespace {

// A message put together piece by piece reaches the file as one write per line, as soon as
// the line ends, whatever the stream flushes in between; a last piece without its end goes
// out when the stream is released.
TEST(RigheErrore, OneWriteALineAsSoonAsItEnds) {
    std::vector<std::string> scritture;
    {
        RigheErrore righe(
            [&](const char* dati, size_t quanti) { scritture.emplace_back(dati, quanti); });
        std::ostream out(&righe);
        out << std::unitbuf;
        out << "compattatore: warning " << 12 << ": no free cell"
            << " (position " << 50 << " m)\n";
        EXPECT_EQ(scritture, std::vector<std::string>{
                                 "compattatore: warning 12: no free cell (position 50 m)\n"});
        out << "two\nlines\n" << 'a' << std::flush << "nd" << std::endl << "no end";
        EXPECT_EQ(scritture.size(), 3u);
    }
    EXPECT_EQ(scritture,
              (std::vector<std::string>{"compattatore: warning 12: no free cell (position 50 m)\n",
                                        "two\nlines\n", "and\n", "no end"}));
}

}  // namespace
}  // namespace compattatore
