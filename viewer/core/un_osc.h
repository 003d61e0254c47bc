#pragma once
// Reader of a ".31" oscillogram: header, channel and section descriptors and
// the quantity table, then the samples point by point, all stored channels at
// once, through a fixed buffer of 500 points of each of up to 32 channels.
// One reader per open file: the dialog's current file and the open dialog's
// browse preview each have their own.
//
// An open reads the file's layout once (header, all samples in one read,
// parameter block) and closes the file at once: chunks, fills and every
// later ReadOscHeader are served from that copy, so the data shown always
// come from the file as it was chosen, and memory stays at the file's size.
//
// Calling order for samples: OpenOscFile (or ReadOscHeader), RewindOscData,
// then NextOscSample N times; after call i, OscCurValues[0..C-1] hold point i
// (time (i - 1) * step) of stored channels 1..C.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "common/osc31.h"

namespace kv {

inline constexpr int kOscChunkPoints = 500;

class OscReader {
 public:
  OscReader();  // allocates the chunk buffer once
  OscReader(const OscReader&) = delete;
  OscReader& operator=(const OscReader&) = delete;

  // Reads `Name` whole: a file is accepted only with its complete layout
  // (header, the N*C samples it announces, the 1860-byte parameter block)
  // and as many stored channel descriptors as stored channels; bytes after
  // the parameter block are allowed, and the quantity table is then the
  // file's last 192 bytes. True: the records describe the file, which is
  // open at its start. False: nothing is open, every record (and what
  // ReadOscHeader reopens) keeps the previous file's contents, and
  // LastError() tells the user what is wrong. Never throws.
  bool OpenOscFile(const std::string& Name);
  // Opens the file of the last successful OpenOscFile again, as it was read
  // then, and restores its records (the dialog may have overwritten the
  // quantity table). False, with LastError(), when no file was ever opened.
  bool ReadOscHeader();

  // Start of the samples. Throws IoError ("File not open" when no file is).
  void RewindOscData();
  // Next chunk of up to 500 points of every stored channel. Throws IoError
  // ("File not open").
  void LoadOscChunk();
  // Next point into OscCurValues. Asking beyond point N throws IoError
  // "Read beyond end of file"; no stale value is served.
  void NextOscSample();
  // All N samples of stored channel a (1..C) of the open file, in time
  // order. Throws IoError ("File not open").
  std::span<const float> ChannelSamples(unsigned a) const;

  void Close();  // never throws
  bool IsOpen() const { return open_; }
  // The file the records describe (empty before the first successful open).
  const std::string& FileName() const { return name_; }
  // Why the last OpenOscFile / ReadOscHeader failed, for the user; its
  // IoError code (a runtime code, or kBadFileFormat).
  const std::string& LastError() const { return lastError_; }
  int LastErrorCode() const { return lastErrorCode_; }

  // Records of the file; arrays are 0-based: OscChannels[j - 1] is channel
  // descriptor j, OscSections[s - 1] section s, OscQuantities[q - 1] entry q.
  // The phenomena dialog overwrites OscQuantities for result files.
  osc31::TOscHeader OscHeader{};
  std::array<osc31::TOscChannel, osc31::kMaxChannels> OscChannels{};
  std::array<osc31::TOscSection, osc31::kSectionCount> OscSections{};
  std::array<osc31::TOscQuantity, osc31::kQuantityCount> OscQuantities{};
  // Current point of stored channels 1..C (index a - 1).
  std::array<float, osc31::kMaxChannels> OscCurValues{};

  // Chunk position.
  std::int32_t OscLoadedPoints() const { return loaded_; }
  std::int32_t OscChunkCount() const { return chunkCount_; }
  std::int32_t OscChunkCursor() const { return cursor_; }
  bool OscAllLoaded() const { return allLoaded_; }

  // Stored channel count C and points per channel N of the described file.
  unsigned C() const { return OscHeader.C; }
  unsigned N() const { return OscHeader.N; }

 private:
  bool Fail(int code, std::string message);
  void Reopen();

  // What the last successful open read: the records as the file has them,
  // and the samples, stored channel a at [(a - 1) * N, a * N).
  struct Snapshot {
    osc31::TOscHeader header{};
    std::array<osc31::TOscChannel, osc31::kMaxChannels> channels{};
    std::array<osc31::TOscSection, osc31::kSectionCount> sections{};
    std::array<osc31::TOscQuantity, osc31::kQuantityCount> quantities{};
    std::unique_ptr<float[]> samples;
  };
  Snapshot file_;
  bool open_ = false;
  std::string name_;
  std::string lastError_;
  int lastErrorCode_ = 0;
  // OscBuffer: slot a (index a - 1) holds up to 500 consecutive points of
  // stored channel a.
  std::unique_ptr<float[]> buffer_;
  std::int32_t loaded_ = 0;
  std::int32_t chunkCount_ = 0;
  std::int32_t cursor_ = 0;
  bool allLoaded_ = false;
};

// "name,unit" of the first quantity entry whose code is `typeCode`, with NUL
// and blank bytes left out wherever they stand; empty when no entry has it.
std::string QuantityCaption(const std::array<osc31::TOscQuantity, osc31::kQuantityCount>& table, std::uint8_t typeCode);
std::string QuantityCaption(const OscReader& r, std::uint8_t typeCode);

}  // namespace kv
