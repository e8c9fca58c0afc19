// A block's worth of timed MIDI messages, filled by the plug-in's event
// intake and consumed by the render loop at the messages' frame offsets.
//
// Hosts do not always deliver a block's events in offset order, and some send
// offsets outside the block. Before a block is rendered the queue is put in
// offset order (stable: events at one offset keep their arrival order) with
// every offset clamped into 0..frames, so that no event can hide the ones
// behind it. Nothing here allocates; the sort works in fixed scratch space.
#pragma once

#include <cstdint>

namespace vt {

struct EventQueue {
  static constexpr int kCapacity = 1023;  // events held for one block

  std::int32_t count = 0;
  std::int32_t deltaFrames[kCapacity + 1] = {};
  std::uint8_t bytes[kCapacity + 1][3] = {};

  bool full() const { return count >= kCapacity; }

  // Appends the first three bytes of a message (zero padded when shorter);
  // false when the queue is full.
  bool push(const std::uint8_t* message, int length, std::int32_t offset) {
    if (full()) return false;
    for (int i = 0; i < 3; ++i) bytes[count][i] = (i < length && message) ? message[i] : 0;
    deltaFrames[count] = offset;
    ++count;
    return true;
  }

  // Removes event 'index'; later events move up one place, keeping their order.
  void removeAt(int index) {
    if (index < 0 || index >= count) return;
    for (int i = index; i + 1 < count; ++i) {
      deltaFrames[i] = deltaFrames[i + 1];
      for (int b = 0; b < 3; ++b) bytes[i][b] = bytes[i + 1][b];
    }
    --count;
  }

  // Clamps every offset into 0..frames and orders the events by offset,
  // keeping the arrival order of events at equal offsets.
  void orderForBlock(std::int32_t frames) {
    if (frames < 0) frames = 0;
    bool sorted = true;
    for (int i = 0; i < count; ++i) {
      if (deltaFrames[i] < 0) deltaFrames[i] = 0;
      if (deltaFrames[i] > frames) deltaFrames[i] = frames;
      if (i > 0 && deltaFrames[i] < deltaFrames[i - 1]) sorted = false;
    }
    if (!sorted) sortByOffset();
  }

  void clear() { count = 0; }

private:
  // Bottom-up merge sort of event indices (stable, n log n), then one pass
  // that moves the events into that order.
  void sortByOffset() {
    std::int16_t* from = order;
    std::int16_t* to = orderScratch;
    for (int i = 0; i < count; ++i) from[i] = static_cast<std::int16_t>(i);
    for (int width = 1; width < count; width *= 2) {
      for (int start = 0; start < count; start += 2 * width) {
        const int middle = start + width < count ? start + width : count;
        const int end = start + 2 * width < count ? start + 2 * width : count;
        int a = start;
        int b = middle;
        int k = start;
        while (a < middle && b < end) to[k++] = deltaFrames[from[b]] < deltaFrames[from[a]] ? from[b++] : from[a++];
        while (a < middle) to[k++] = from[a++];
        while (b < end) to[k++] = from[b++];
      }
      std::int16_t* swap = from;
      from = to;
      to = swap;
    }
    for (int i = 0; i < count; ++i) {
      frameScratch[i] = deltaFrames[from[i]];
      for (int b = 0; b < 3; ++b) byteScratch[i][b] = bytes[from[i]][b];
    }
    for (int i = 0; i < count; ++i) {
      deltaFrames[i] = frameScratch[i];
      for (int b = 0; b < 3; ++b) bytes[i][b] = byteScratch[i][b];
    }
  }

  std::int16_t order[kCapacity + 1] = {};
  std::int16_t orderScratch[kCapacity + 1] = {};
  std::int32_t frameScratch[kCapacity + 1] = {};
  std::uint8_t byteScratch[kCapacity + 1][3] = {};
};

}  // namespace vt
