#include "analysis/real_vector.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "analysis/element_access.h"

namespace vt::analysis {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Element i of w, NaN past its end.
inline double elementOr(const RealVector& w, int i) { return i < w.size() ? w[i] : kNaN; }

template <typename Op>
RealVector map(const RealVector& v, Op op) {
  RealVector result(v.size());
  if (result.size() != v.size()) return result;
  for (int i = 0; i < v.size(); ++i) result[i] = op(v[i]);
  return result;
}

template <typename Op>
RealVector zipWith(const RealVector& v, const RealVector& w, Op op) {
  RealVector result(v.size());
  if (result.size() != v.size()) return result;
  const int both = v.size() < w.size() ? v.size() : w.size();
  for (int i = 0; i < both; ++i) result[i] = op(v[i], w[i]);
  for (int i = both; i < v.size(); ++i) result[i] = op(v[i], kNaN);
  return result;
}

inline double truth(bool b) { return b ? 1.0 : 0.0; }

}  // namespace

RealVector::RealVector(int n, Fill fill) { reset(n, fill); }

RealVector::RealVector(std::initializer_list<double> list) {
  if (!allocate(static_cast<int>(list.size()))) return;
  int i = 0;
  for (double x : list) values[i++] = x;
}

RealVector::RealVector(const RealVector& other) {
  if (allocate(other.count) && count > 0) std::memcpy(values, other.values, sizeof(double) * count);
}

RealVector::RealVector(RealVector&& other) noexcept
    : values(other.values), count(other.count), capacity(other.capacity) {
  other.values = nullptr;
  other.count = 0;
  other.capacity = 0;
}

RealVector& RealVector::operator=(const RealVector& other) {
  if (this == &other) return *this;
  if (allocate(other.count) && count > 0) std::memcpy(values, other.values, sizeof(double) * count);
  return *this;
}

RealVector& RealVector::operator=(RealVector&& other) noexcept {
  if (this == &other) return *this;
  delete[] values;
  values = other.values;
  count = other.count;
  capacity = other.capacity;
  other.values = nullptr;
  other.count = 0;
  other.capacity = 0;
  return *this;
}

RealVector::~RealVector() { delete[] values; }

bool RealVector::allocate(int n) {
  if (n <= 0) {
    count = 0;
    return true;
  }
  if (n <= capacity) {
    count = n;
    return true;
  }
  delete[] values;
  values = new (std::nothrow) double[static_cast<std::size_t>(n)];
  if (!values) {
    count = 0;
    capacity = 0;
    return false;
  }
  count = n;
  capacity = n;
  return true;
}

bool RealVector::reset(int n, Fill kind) {
  if (!allocate(n)) return false;
  fill(fillValue(kind));
  return true;
}

bool RealVector::resize(int n) {
  if (n <= capacity) {
    for (int i = count; i < n; ++i) values[i] = 0.0;
    count = n > 0 ? n : 0;
    return true;
  }
  double* grown = new (std::nothrow) double[static_cast<std::size_t>(n)];
  if (!grown) return false;
  if (count > 0) std::memcpy(grown, values, sizeof(double) * count);
  for (int i = count; i < n; ++i) grown[i] = 0.0;
  delete[] values;
  values = grown;
  count = n;
  capacity = n;
  return true;
}

void RealVector::fill(double x) {
  for (int i = 0; i < count; ++i) values[i] = x;
}

RealVector RealVector::operator()(const RealVector& idx) const {
  RealVector result(idx.size());
  if (result.size() != idx.size()) return result;
  for (int i = 0; i < idx.size(); ++i) {
    const int p = position(idx[i], count);
    result[i] = p >= 0 ? values[p] : kNaN;
  }
  return result;
}

void RealVector::assign(const RealVector& idx, const RealVector& w) {
  const int pairs = idx.size() < w.size() ? idx.size() : w.size();
  for (int i = 0; i < pairs; ++i) {
    const int p = position(idx[i], count);
    if (p >= 0) values[p] = w[i];
  }
}

void RealVector::assign(const RealVector& idx, double x) {
  for (int i = 0; i < idx.size(); ++i) {
    const int p = position(idx[i], count);
    if (p >= 0) values[p] = x;
  }
}

RealVector& RealVector::operator+=(const RealVector& w) {
  for (int i = 0; i < count; ++i) values[i] += elementOr(w, i);
  return *this;
}
RealVector& RealVector::operator-=(const RealVector& w) {
  for (int i = 0; i < count; ++i) values[i] -= elementOr(w, i);
  return *this;
}
RealVector& RealVector::operator*=(const RealVector& w) {
  for (int i = 0; i < count; ++i) values[i] *= elementOr(w, i);
  return *this;
}
RealVector& RealVector::operator+=(double x) {
  for (int i = 0; i < count; ++i) values[i] += x;
  return *this;
}
RealVector& RealVector::operator-=(double x) {
  for (int i = 0; i < count; ++i) values[i] -= x;
  return *this;
}
RealVector& RealVector::operator*=(double x) {
  for (int i = 0; i < count; ++i) values[i] *= x;
  return *this;
}
RealVector& RealVector::operator/=(double x) {
  for (int i = 0; i < count; ++i) values[i] /= x;
  return *this;
}

RealVector zeros(int n) { return RealVector(n, Fill::zeros); }
RealVector filled(Fill kind, int n) { return RealVector(n, kind); }

RealVector range(int a, int b) { return range(a, 1, b); }

RealVector range(int a, int step, int b) {
  if (step == 0) return RealVector();
  const std::int64_t n = (static_cast<std::int64_t>(b) - a) / step + 1;
  if (n <= 0 || n > std::numeric_limits<int>::max()) return RealVector();
  RealVector result(static_cast<int>(n));
  for (int i = 0; i < result.size(); ++i) result[i] = a + static_cast<double>(step) * i;
  return result;
}

RealVector fromFloats(const float* p, std::int64_t offset, int n) {
  if (!p || offset < 0 || n <= 0) return RealVector();
  RealVector result(n);
  for (int i = 0; i < result.size(); ++i) result[i] = p[offset + i];
  return result;
}

RealVector append(const RealVector& v, double x) {
  RealVector result(v);
  if (result.resize(v.size() + 1)) result[v.size()] = x;
  return result;
}

RealVector concat(const RealVector& v, const RealVector& w) {
  RealVector result(v);
  if (!result.resize(v.size() + w.size())) return result;
  for (int i = 0; i < w.size(); ++i) result[v.size() + i] = w[i];
  return result;
}

RealVector operator+(const RealVector& v, const RealVector& w) {
  return zipWith(v, w, [](double a, double b) { return a + b; });
}
RealVector operator-(const RealVector& v, const RealVector& w) {
  return zipWith(v, w, [](double a, double b) { return a - b; });
}
RealVector operator*(const RealVector& v, const RealVector& w) {
  return zipWith(v, w, [](double a, double b) { return a * b; });
}
RealVector operator/(const RealVector& v, const RealVector& w) {
  return zipWith(v, w, [](double a, double b) { return a / b; });
}
RealVector operator+(const RealVector& v, double x) {
  return map(v, [x](double a) { return a + x; });
}
RealVector operator+(double x, const RealVector& v) {
  return map(v, [x](double a) { return x + a; });
}
RealVector operator-(const RealVector& v, double x) {
  return map(v, [x](double a) { return a - x; });
}
RealVector operator-(double x, const RealVector& v) {
  return map(v, [x](double a) { return x - a; });
}
RealVector operator*(const RealVector& v, double x) {
  return map(v, [x](double a) { return a * x; });
}
RealVector operator*(double x, const RealVector& v) {
  return map(v, [x](double a) { return x * a; });
}
RealVector operator/(const RealVector& v, double x) {
  return map(v, [x](double a) { return a / x; });
}
RealVector operator-(const RealVector& v) {
  return map(v, [](double a) { return -a; });
}

RealVector equal(const RealVector& v, double x) {
  return map(v, [x](double a) { return truth(a == x); });
}
RealVector notEqual(const RealVector& v, double x) {
  return map(v, [x](double a) { return truth(a != x); });
}
RealVector greater(const RealVector& v, double x) {
  return map(v, [x](double a) { return truth(a > x); });
}
RealVector greaterEqual(const RealVector& v, double x) {
  return map(v, [x](double a) { return truth(a >= x); });
}
RealVector lessEqual(const RealVector& v, double x) {
  return map(v, [x](double a) { return truth(a <= x); });
}
RealVector less(const RealVector& v, double x) {
  return map(v, [x](double a) { return truth(a < x); });
}
RealVector greater(const RealVector& v, const RealVector& w) {
  return zipWith(v, w, [](double a, double b) { return truth(a > b); });
}
RealVector greaterEqual(const RealVector& v, const RealVector& w) {
  return zipWith(v, w, [](double a, double b) { return truth(a >= b); });
}
RealVector isZero(const RealVector& v) { return equal(v, 0.0); }
RealVector bothNonZero(const RealVector& v, const RealVector& w) {
  RealVector result(v.size());
  for (int i = 0; i < result.size(); ++i) result[i] = truth(v[i] != 0.0 && i < w.size() && w[i] != 0.0);
  return result;
}
RealVector isNan(const RealVector& v) {
  return map(v, [](double a) { return truth(std::isnan(a)); });
}

RealVector find(const RealVector& v) {
  int hits = 0;
  for (double x : v) hits += x != 0.0;
  RealVector result(hits);
  if (result.size() != hits) return result;
  int k = 0;
  for (int i = 0; i < v.size(); ++i)
    if (v[i] != 0.0) result[k++] = i + 1.0;
  return result;
}

RealVector abs(const RealVector& v) {
  return map(v, [](double a) { return std::fabs(a); });
}
RealVector log(const RealVector& v) {
  return map(v, [](double a) { return std::log(a); });
}
RealVector exp(const RealVector& v) {
  return map(v, [](double a) { return std::exp(a); });
}
RealVector cos(const RealVector& v) {
  return map(v, [](double a) { return std::cos(a); });
}
RealVector floor(const RealVector& v) {
  return map(v, [](double a) { return std::floor(a); });
}
RealVector magnitude(const RealVector& re, const RealVector& im) {
  return zipWith(re, im, [](double a, double b) { return std::sqrt(a * a + b * b); });
}
RealVector phase(const RealVector& re, const RealVector& im) {
  return zipWith(re, im, [](double a, double b) { return std::atan2(-b, a); });
}

double sum(const RealVector& v) {
  double total = 0.0;
  for (double x : v) total += x;
  return total;
}

double max(const RealVector& v) {
  double best = -hugeValue;
  for (double x : v)
    if (x > best) best = x;
  return best;
}

double min(const RealVector& v) {
  double best = hugeValue;
  for (double x : v)
    if (x < best) best = x;
  return best;
}

bool contains(const RealVector& v, double x) {
  for (double y : v)
    if (y == x) return true;
  return false;
}

namespace {

// Stable merge sort of keys[first, last) carrying the positions along; an
// element from the right run goes first only when it is strictly smaller.
// Bottom-up, ping-ponging between the data and the scratch arrays.
void mergeSortStretch(double* keys, double* order, double* scratchKeys, double* scratchOrder, int first, int last) {
  const int n = last - first;
  double* srcK = keys + first;
  double* srcO = order + first;
  double* dstK = scratchKeys + first;
  double* dstO = scratchOrder + first;
  for (int width = 1; width < n; width *= 2) {
    for (int lo = 0; lo < n; lo += 2 * width) {
      const int mid = lo + width < n ? lo + width : n;
      const int hi = lo + 2 * width < n ? lo + 2 * width : n;
      int i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        if (srcK[j] < srcK[i]) {
          dstK[k] = srcK[j];
          dstO[k++] = srcO[j++];
        } else {
          dstK[k] = srcK[i];
          dstO[k++] = srcO[i++];
        }
      }
      while (i < mid) {
        dstK[k] = srcK[i];
        dstO[k++] = srcO[i++];
      }
      while (j < hi) {
        dstK[k] = srcK[j];
        dstO[k++] = srcO[j++];
      }
    }
    std::swap(srcK, dstK);
    std::swap(srcO, dstO);
  }
  if (srcK != keys + first) {
    std::memcpy(keys + first, srcK, sizeof(double) * n);
    std::memcpy(order + first, srcO, sizeof(double) * n);
  }
}

}  // namespace

SortResult sortAscending(const RealVector& v) {
  SortResult result{v, RealVector(v.size())};
  const int n = v.size();
  RealVector scratchKeys(n), scratchOrder(n);
  if (result.sorted.size() != n || result.order.size() != n || scratchKeys.size() != n || scratchOrder.size() != n)
    return SortResult{};
  for (int i = 0; i < n; ++i) result.order[i] = i + 1.0;
  // A NaN compares false both ways, so adjacent swapping never moves it and
  // never carries an element across it: sort each stretch between NaNs.
  int first = 0;
  for (int i = 0; i <= n; ++i) {
    if (i == n || std::isnan(v[i])) {
      if (i - first > 1)
        mergeSortStretch(result.sorted.data(), result.order.data(), scratchKeys.data(), scratchOrder.data(), first, i);
      first = i + 1;
    }
  }
  return result;
}

RealVector rotateHalf(const RealVector& v) {
  const int n = v.size();
  RealVector result(n);
  if (result.size() != n) return result;
  const int shift = (n + 1) / 2;
  for (int i = 0; i < n; ++i) result[i] = v[(i + shift) % n];
  return result;
}

}  // namespace vt::analysis
