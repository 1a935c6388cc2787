// The capture file's formatting alone: the cost per received byte of turning the benchmark
// streams into capture lines, in reads of the size a busy reader takes, of writing them out,
// and of writing as many bytes with nothing to format.
//   bench_capture_format [Google Benchmark flags]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "CaptureFormat.h"
#include "StreamPattern.h"

using namespace tobrel;

namespace {

constexpr size_t kRead = 4095;
constexpr size_t kStream = size_t{8} << 20;

std::vector<uint8_t> Stream(int nKind) {
  std::vector<uint8_t> vecBytes(kStream);
  CStreamPattern(static_cast<EStreamKind>(nKind)).Fill(vecBytes.data(), vecBytes.size());
  return vecBytes;
}

const char* KindLabel(int nKind) { return nKind == 0 ? "CR LF lines" : nKind == 1 ? "no line breaks" : "text lines"; }

// Formats the stream read by read, as the capture thread does, writing each batch to a file
// when bWrite; the figure is per received byte.
void Format(benchmark::State& state, bool bWrite) {
  const int nKind = static_cast<int>(state.range(0));
  const std::vector<uint8_t> vecStream = Stream(nKind);
  char szPath[] = "/tmp/quorvel-bench-format-XXXXXX";
  const int nFd = mkstemp(szPath);
  if (nFd < 0) std::abort();
  unlink(szPath);
  CCaptureFormatter formatter;
  CCaptureText text;
  size_t nFile = 0;
  auto time = WallClock::now();
  for (auto _ : state) {
    for (size_t nDone = 0; nDone < vecStream.size(); nDone += kRead) {
      formatter.Received(time, 1, vecStream.data() + nDone, std::min(kRead, vecStream.size() - nDone), text);
      time += std::chrono::microseconds(300);
      if (text.Size() >= (size_t{256} << 10)) {
        if (bWrite && write(nFd, text.Data(), text.Size()) != static_cast<ssize_t>(text.Size())) std::abort();
        nFile += text.Size();
        text.Clear();
      }
    }
    if (bWrite) ftruncate(nFd, 0);
  }
  close(nFd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * vecStream.size()));
  state.counters["file/byte"] = static_cast<double>(nFile) / static_cast<double>(state.iterations() * vecStream.size());
  state.SetLabel(KindLabel(nKind));
}

void BM_Format(benchmark::State& state) { Format(state, false); }
void BM_FormatAndWrite(benchmark::State& state) { Format(state, true); }

// The floor under writing the file: the same number of bytes written in the same pieces,
// with nothing to format.
void BM_WriteAlone(benchmark::State& state) {
  const int nKind = static_cast<int>(state.range(0));
  const std::vector<uint8_t> vecStream = Stream(nKind);
  CCaptureFormatter formatter;
  CCaptureText text;
  formatter.Received(WallClock::now(), 1, vecStream.data(), vecStream.size(), text);
  const size_t nFile = text.Size();
  const std::vector<char> vecPiece(size_t{256} << 10, 'x');
  char szPath[] = "/tmp/quorvel-bench-format-XXXXXX";
  const int nFd = mkstemp(szPath);
  if (nFd < 0) std::abort();
  unlink(szPath);
  for (auto _ : state) {
    for (size_t nDone = 0; nDone < nFile; nDone += vecPiece.size())
      if (write(nFd, vecPiece.data(), std::min(vecPiece.size(), nFile - nDone)) < 0) std::abort();
    ftruncate(nFd, 0);
  }
  close(nFd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * vecStream.size()));
  state.SetLabel(KindLabel(nKind));
}

BENCHMARK(BM_Format)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatAndWrite)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAlone)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
