// Throughput of writing and reading the large documents against two baselines on the same bytes
// (a string-append writer and pugixml's bare parse), and the cost of small messages.
//
//   pelagon_bench [--scale F] [google benchmark flags]   runs the benchmarks and prints the ratios
//   pelagon_bench --peak DOC read|parse                  prints the peak memory of one read of DOC
//                                                        (A, B or C) as a multiple of its size
//   pelagon_bench --repeat DOC read|parse|bare|write|validate N
//                                                        reads, writes or validates DOC N times
//                                                        and nothing else, for profilers
//                                                        (callgrind)
//   pelagon_bench --repeat-small FILE read|parse|bare|write N
//                                                        the same for a bundled example message
//                                                        (FILE as in the benchmark's name, e.g.
//                                                        query/2006_03/savedquery/...Input.xml)
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "Counting.hxx"
#include "Documents.hxx"

namespace {

using namespace PelagonBench;
using Corvanthel::Soa::Common::MemoryManager;
using Corvanthel::Soa::Common::Xml::XMLDocument;

double scale = 1.0;

struct LargeDocument {
  std::string name;
  std::function<std::string()> write;                      // through the library
  std::function<std::string()> append;                     // the string-append baseline
  std::function<void(const std::string&)> read;            // text to XMLDocument to filled object
  std::function<void(const XMLDocument&)> validate;        // a parsed document validated
  std::function<void(const std::string&)> validatingRead;  // parsed, validated and read
  std::string text;
};

template <class T>
void readInto(const std::string& text) {
  const XMLDocument document = XMLDocument::parse(text);
  T object;
  object.parse(document.getRootElement());
  benchmark::DoNotOptimize(object);
}

#if PELAGON_HAS_VALIDATION
template <class T>
void validate(const XMLDocument& document) {
  T::validateDocument(document);
}

template <class T>
void validatingReadInto(const std::string& text) {
  const XMLDocument document = XMLDocument::parse(text);
  T::validateDocument(document);
  T object;
  object.parse(document.getRootElement());
  benchmark::DoNotOptimize(object);
}
#endif

template <class T>
LargeDocument largeDocument(std::string name, std::function<std::string()> write,
                            std::function<std::string()> append) {
#if PELAGON_HAS_VALIDATION
  return {std::move(name),
          std::move(write),
          std::move(append),
          readInto<T>,
          validate<T>,
          validatingReadInto<T>,
          ""};
#else
  // A build on the runtime's interface alone has no validation to measure.
  return {std::move(name), std::move(write), std::move(append), readInto<T>, nullptr, nullptr, ""};
#endif
}

std::vector<LargeDocument>& documents() {
  static std::vector<LargeDocument> all = [] {
    auto results = std::make_shared<Sq0706::ExecuteSavedQueriesResponse>(
        makeResults(static_cast<int>(2000 * scale)));
    auto criteria = std::make_shared<Finder0706::FindWorkspaceObjectsInput>(
        makeCriteria(static_cast<int>(5000 * scale)));
    auto strings = std::make_shared<Sq0603::ExecuteSavedQueryInput>(
        makeStrings(static_cast<int>(125000 * scale)));
    std::vector<LargeDocument> docs = {
        largeDocument<Sq0706::ExecuteSavedQueriesResponse>(
            "A_results", [results] { return write(*results, "ExecuteSavedQueriesResponse"); },
            [results] { return appendResults(*results); }),
        largeDocument<Finder0706::FindWorkspaceObjectsInput>(
            "B_criteria", [criteria] { return write(*criteria, "FindWorkspaceObjectsInput"); },
            [criteria] { return appendCriteria(*criteria); }),
        largeDocument<Sq0603::ExecuteSavedQueryInput>(
            "C_strings", [strings] { return write(*strings, "ExecuteSavedQueryInput"); },
            [strings] { return appendStrings(*strings); }),
    };
    for (LargeDocument& doc : docs) {
      doc.text = doc.write();
      if (doc.append() != doc.text) {
        std::fprintf(stderr, "%s: the string-append writer does not match the library\n",
                     doc.name.c_str());
        std::exit(2);
      }
    }
    return docs;
  }();
  return all;
}

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

void bareParse(const std::string& text) {
  pugi::xml_document document;
  const pugi::xml_parse_result result =
      document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (!result)
    std::abort();
  benchmark::DoNotOptimize(document);
}

// The library's own parse alone: text to XMLDocument, no object.
void libraryParse(const std::string& text) {
  const XMLDocument document = XMLDocument::parse(text);
  benchmark::DoNotOptimize(document.getRootElement());
}

void registerLarge() {
  for (const LargeDocument& doc : documents()) {
    const auto bytes = static_cast<int64_t>(doc.text.size());
    const auto run = [bytes](benchmark::State& state, const std::function<void()>& work) {
      for (auto _ : state)
        work();
      state.SetBytesProcessed(state.iterations() * bytes);
    };
    const LargeDocument* d = &doc;
    benchmark::RegisterBenchmark((d->name + "/write").c_str(), [=](benchmark::State& s) {
      run(s, [d] { benchmark::DoNotOptimize(d->write()); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((d->name + "/string_writer").c_str(), [=](benchmark::State& s) {
      run(s, [d] { benchmark::DoNotOptimize(d->append()); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((d->name + "/read").c_str(), [=](benchmark::State& s) {
      run(s, [d] { d->read(d->text); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((d->name + "/parse").c_str(), [=](benchmark::State& s) {
      run(s, [d] { libraryParse(d->text); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((d->name + "/bare_parse").c_str(), [=](benchmark::State& s) {
      run(s, [d] { bareParse(d->text); });
    })->Unit(benchmark::kMillisecond);
    if (!d->validate)
      continue;
    benchmark::RegisterBenchmark((d->name + "/validate").c_str(), [=](benchmark::State& s) {
      const XMLDocument parsed = XMLDocument::parse(d->text);
      run(s, [d, &parsed] { d->validate(parsed); });
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((d->name + "/validating_read").c_str(), [=](benchmark::State& s) {
      run(s, [d] { d->validatingRead(d->text); });
    })->Unit(benchmark::kMillisecond);
  }
}

// One typical request and response per interface version, from the bundled example messages.
struct SmallMessage {
  std::string file;
  std::function<void(const std::string&)> read;
  std::function<std::string(const std::string&)> rewrite;  // read, then write again
  // An object read from the text, and what writes it.
  std::function<std::function<std::string()>(const std::string&)> writer;
};

template <class T>
SmallMessage small(const std::string& file, const std::string& root) {
  const auto readObject = [](const std::string& text) {
    const XMLDocument document = XMLDocument::parse(text);
    T object;
    object.parse(document.getRootElement());
    return object;
  };
  return {file, readInto<T>,
          [root, readObject](const std::string& text) { return write(readObject(text), root); },
          [root, readObject](const std::string& text) -> std::function<std::string()> {
            const auto object = std::make_shared<T>(readObject(text));
            return [object, root] { return write(*object, root); };
          }};
}

std::vector<SmallMessage> smallMessages() {
  namespace Sq0701 = Corvanthel::Schemas::Query::_2007_01::Savedquery;
  namespace Sq0709 = Corvanthel::Schemas::Query::_2007_09::Savedquery;
  namespace Sq0806 = Corvanthel::Schemas::Query::_2008_06::Savedquery;
  namespace Finder0806 = Corvanthel::Schemas::Internal::Query::_2008_06::Finder;
#define PELAGON_SMALL(NS, DIR, TYPE) small<NS::TYPE>(DIR "/" #TYPE ".xml", #TYPE)
  return {
      PELAGON_SMALL(Sq0603, "query/2006_03/savedquery", ExecuteSavedQueryInput),
      PELAGON_SMALL(Sq0603, "query/2006_03/savedquery", GetSavedQueriesResponse),
      PELAGON_SMALL(Sq0701, "query/2007_01/savedquery", SaveQueryCriteriasInput),
      PELAGON_SMALL(Sq0701, "query/2007_01/savedquery", RetrieveQueryCriteriaResponse),
      PELAGON_SMALL(Sq0706, "query/2007_06/savedquery", ExecuteSavedQueriesInput),
      PELAGON_SMALL(Sq0706, "query/2007_06/savedquery", ExecuteSavedQueriesResponse),
      PELAGON_SMALL(Sq0709, "query/2007_09/savedquery", ExecuteSavedQueriesInput),
      PELAGON_SMALL(Sq0709, "query/2007_09/savedquery", SavedQueriesResponse),
      PELAGON_SMALL(Sq0806, "query/2008_06/savedquery", ExecuteSavedQueriesInput),
      PELAGON_SMALL(Finder0706, "query/2007_06/finder", FindWorkspaceObjectsInput),
      PELAGON_SMALL(Finder0706, "query/2007_06/finder", FindWorkspaceObjectsResponse),
      PELAGON_SMALL(Finder0806, "internal/query/2008_06/finder",
                    FindObjectsByClassAndAttributesInput),
      PELAGON_SMALL(Finder0806, "internal/query/2008_06/finder", FindObjectsResponse),
  };
#undef PELAGON_SMALL
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  if (!file) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(2);
  }
  return text.str();
}

void registerSmall() {
  for (const SmallMessage& message : smallMessages()) {
    const std::string text = readFile(std::string(PELAGON_MESSAGES_DIR) + "/" + message.file);
    const std::string canonical = message.rewrite(text);
    const auto read = message.read;
    const std::function<std::string()> writeOnce = message.writer(canonical);
    // Allocations of one read: schema objects (through the manager) and all allocations (global
    // operator new, which includes the parse and the strings); of one write, all allocations.
    const auto countAllocations = [read, canonical](benchmark::State& state) {
      CountingManager manager;
      MemoryManager* previous = MemoryManager::setMemoryManager(&manager);
      const std::size_t before = globalAllocations();
      read(canonical);
      state.counters["objects_per_read"] = static_cast<double>(manager.allocations);
      state.counters["allocs_per_read"] = static_cast<double>(globalAllocations() - before);
      MemoryManager::setMemoryManager(previous);
    };
    const std::string name = "small/" + message.file;
    benchmark::RegisterBenchmark((name + "/read").c_str(), [=](benchmark::State& state) {
      for (auto _ : state)
        read(canonical);
      countAllocations(state);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/write").c_str(), [=](benchmark::State& state) {
      for (auto _ : state)
        benchmark::DoNotOptimize(writeOnce());
      const std::size_t before = globalAllocations();
      if (writeOnce() != canonical)
        state.SkipWithError("the write does not give the text that was read");
      state.counters["allocs_per_write"] = static_cast<double>(globalAllocations() - before);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/parse").c_str(), [=](benchmark::State& state) {
      for (auto _ : state)
        libraryParse(canonical);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((name + "/bare_parse").c_str(), [=](benchmark::State& state) {
      for (auto _ : state)
        bareParse(canonical);
    })->Unit(benchmark::kMicrosecond);
  }
}

// Prints read/bare-parse and write/string-writer throughput ratios after the run (medians when
// repetitions are asked for).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool aggregate = run.run_type == Run::RT_Aggregate;
      if (aggregate && run.aggregate_name != "median")
        continue;
      std::string name = run.run_name.str();
      if (name.rfind("small/", 0) == 0) {
        perItem_[name] = run.GetAdjustedRealTime();
        continue;
      }
      const auto bytesPerSecond = run.counters.find("bytes_per_second");
      if (bytesPerSecond != run.counters.end())
        rates_[name] = bytesPerSecond->second.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-12s %10s %10s %10s %10s %10s %8s %8s %8s\n", "document", "write MB/s",
                "append MB/s", "read MB/s", "parse MB/s", "bare MB/s", "w/append", "r/bare",
                "p/bare");
    for (const char* doc : {"A_results", "B_criteria", "C_strings"}) {
      const std::string d = doc;
      const double w = rate(d + "/write"), a = rate(d + "/string_writer");
      const double r = rate(d + "/read"), x = rate(d + "/parse"), p = rate(d + "/bare_parse");
      if (w == 0 && r == 0 && x == 0)
        continue;
      std::printf("%-12s %10.0f %10.0f %10.0f %10.0f %10.0f %8.2f %8.2f %8.2f\n", doc, w, a, r, x,
                  p, a > 0 ? w / a : 0.0, p > 0 ? r / p : 0.0, p > 0 ? x / p : 0.0);
    }
    // Validation alone as a share of the parse's time, and a validating read (parse, validate,
    // fill) against the bare parse.
    std::printf("\n%-12s %12s %14s %14s %12s\n", "document", "validate MB/s", "validate/parse",
                "v.read MB/s", "v.read/bare");
    for (const char* doc : {"A_results", "B_criteria", "C_strings"}) {
      const std::string d = doc;
      const double v = rate(d + "/validate"), vr = rate(d + "/validating_read");
      const double x = rate(d + "/parse"), p = rate(d + "/bare_parse");
      if (v == 0 && vr == 0)
        continue;
      std::printf("%-12s %12.0f %14.2f %14.0f %12.2f\n", doc, v, v > 0 ? x / v : 0.0, vr,
                  p > 0 ? vr / p : 0.0);
    }
    for (const auto& [name, time] : perItem_) {
      if (name.size() < 5 || name.compare(name.size() - 5, 5, "/read") != 0)
        continue;
      const std::string base = name.substr(0, name.size() - 5);
      const auto bare = perItem_.find(base + "/bare_parse");
      const auto parse = perItem_.find(base + "/parse");
      const auto written = perItem_.find(base + "/write");
      if (bare != perItem_.end() && bare->second > 0 && written != perItem_.end() &&
          parse != perItem_.end()) {
        std::printf("%-64s read %.2f, parse %.2f, write %.2f x bare parse time\n", base.c_str(),
                    time / bare->second, parse->second / bare->second,
                    written->second / bare->second);
      }
    }
  }

 private:
  double rate(const std::string& name) const {
    const auto found = rates_.find(name);
    return found == rates_.end() ? 0.0 : found->second / 1e6;
  }
  std::map<std::string, double> rates_;
  std::map<std::string, double> perItem_;
};

// The process's resident-set peak in kilobytes since the last resetPeak() (VmHWM).
long peakKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::atol(line.c_str() + 6);
  }
  return 0;
}

// Lowers the recorded peak to the current resident set.
void resetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// The peak memory that reading (or bare-parsing) one document adds, as a multiple of its size.
// The document is generated, saved to a file, and read by a fresh process of this program, whose
// baseline is taken after it has loaded the text: the multiple counts the parse's copy of the
// text, the tree and the objects.
int peak(const char* self, const std::string& doc, const std::string& mode) {
  for (const LargeDocument& d : documents()) {
    if (d.name.compare(0, doc.size(), doc) != 0)
      continue;
    const std::string path = "/tmp/pelagon_bench_" + d.name + ".xml";
    std::ofstream(path, std::ios::binary) << d.text;
    execl(self, self, "--peak-file", path.c_str(), d.name.c_str(), mode.c_str(),
          static_cast<char*>(nullptr));
    std::perror("exec");
    return 2;
  }
  std::fprintf(stderr, "no document %s (A, B or C)\n", doc.c_str());
  return 2;
}

int peakOfFile(const std::string& path, const std::string& doc, const std::string& mode) {
  const std::string text = readFile(path);
  std::remove(path.c_str());
  resetPeak();
  const long before = peakKilobytes();
  if (mode == "parse") {
    bareParse(text);
  } else if (doc == "A_results") {
    readInto<Sq0706::ExecuteSavedQueriesResponse>(text);
  } else if (doc == "B_criteria") {
    readInto<Finder0706::FindWorkspaceObjectsInput>(text);
  } else {
    readInto<Sq0603::ExecuteSavedQueryInput>(text);
  }
  const long after = peakKilobytes();
  std::printf("%s %s: %.1f MB document, peak grew by %.1f MB: %.2f x the document\n", doc.c_str(),
              mode.c_str(), text.size() / 1e6, (after - before) / 1e3,
              (after - before) * 1e3 / static_cast<double>(text.size()));
  return 0;
}

// N reads or writes of one document, one way, outside the benchmark library: what a profiler
// looks at.
int repeat(const std::string& doc, const std::string& mode, int times) {
  for (const LargeDocument& d : documents()) {
    if (d.name.compare(0, doc.size(), doc) != 0)
      continue;
    if (mode == "validate") {  // the document parsed once, validated N times
      if (!d.validate) {
        std::fprintf(stderr, "this build has no validation\n");
        return 1;
      }
      const XMLDocument parsed = XMLDocument::parse(d.text);
      for (int i = 0; i < times; ++i)
        d.validate(parsed);
      return 0;
    }
    for (int i = 0; i < times; ++i) {
      if (mode == "parse") {
        libraryParse(d.text);
      } else if (mode == "write") {
        benchmark::DoNotOptimize(d.write());
      } else if (mode == "bare") {
        bareParse(d.text);
      } else {
        d.read(d.text);
      }
    }
    return 0;
  }
  std::fprintf(stderr, "no document %s (A, B or C)\n", doc.c_str());
  return 2;
}

// The same for one small message: its fixed costs are what a profile of it shows.
int repeatSmall(const std::string& file, const std::string& mode, int times) {
  for (const SmallMessage& message : smallMessages()) {
    if (message.file != file)
      continue;
    const std::string canonical =
        message.rewrite(readFile(std::string(PELAGON_MESSAGES_DIR) + "/" + file));
    const std::function<std::string()> writeOnce = message.writer(canonical);
    for (int i = 0; i < times; ++i) {
      if (mode == "parse") {
        libraryParse(canonical);
      } else if (mode == "write") {
        benchmark::DoNotOptimize(writeOnce());
      } else if (mode == "bare") {
        bareParse(canonical);
      } else {
        message.read(canonical);
      }
    }
    return 0;
  }
  std::fprintf(stderr, "no bundled message %s\n", file.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      scale = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--peak") == 0 && i + 2 < argc) {
      return peak(argv[0], argv[i + 1], argv[i + 2]);
    } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 3 < argc) {
      return repeat(argv[i + 1], argv[i + 2], std::atoi(argv[i + 3]));
    } else if (std::strcmp(argv[i], "--repeat-small") == 0 && i + 3 < argc) {
      return repeatSmall(argv[i + 1], argv[i + 2], std::atoi(argv[i + 3]));
    } else if (std::strcmp(argv[i], "--peak-file") == 0 && i + 3 < argc) {
      return peakOfFile(argv[i + 1], argv[i + 2], argv[i + 3]);
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  registerLarge();
  registerSmall();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
