// Standard error a whole line at a time. Messages are put together piece by piece; each
// line goes to the system in one write as soon as its end is put, so that a line is never
// split among writes (nor mixed with another process's) and costs one system call. Nothing
// waits beyond the end of a line: a piece without one goes out when the stream is released.
#pragma once

#include <cstdio>
#include <streambuf>
#include <string>

namespace compattatore {

class RigheErrore : public std::streambuf {
  public:
    // `uscita` must be unbuffered, as standard error is: one fwrite is then one write.
    explicit RigheErrore(std::FILE* uscita = stderr) : uscita_(uscita) {}
    ~RigheErrore() override;
    RigheErrore(const RigheErrore&) = delete;
    RigheErrore& operator=(const RigheErrore&) = delete;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

  private:
    // Hands every complete line to standard error; `tutto` the last piece too.
    void emetti(bool tutto);

    std::FILE* uscita_;
    std::string attesa_;
};

// Standard error through a RigheErrore for the life of the object; restored after.
class StderrARighe {
  public:
    StderrARighe();
    ~StderrARighe();
    StderrARighe(const StderrARighe&) = delete;
    StderrARighe& operator=(const StderrARighe&) = delete;

  private:
    RigheErrore righe_;
    std::streambuf* prima_;
};

}  // namespace compattatore
