#include "analysis/real_matrix.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "analysis/element_access.h"

namespace vt::analysis {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

inline std::ptrdiff_t at(int r0, int c0, int cols) { return static_cast<std::ptrdiff_t>(r0) * cols + c0; }

template <typename Op>
RealMatrix map(const RealMatrix& m, Op op) {
  RealMatrix result(m.rows(), m.cols());
  if (result.size() != m.size()) return result;
  const double* src = m.data();
  double* dst = result.data();
  for (int i = 0; i < m.size(); ++i) dst[i] = op(src[i]);
  return result;
}

template <typename Op>
RealMatrix zipWith(const RealMatrix& a, const RealMatrix& b, Op op) {
  RealMatrix result(a.rows(), a.cols());
  if (result.size() != a.size()) return result;
  const bool same = a.rows() == b.rows() && a.cols() == b.cols();
  for (int i = 0; i < a.size(); ++i) result.data()[i] = op(a.data()[i], same ? b.data()[i] : kNaN);
  return result;
}

inline double truth(bool b) { return b ? 1.0 : 0.0; }

}  // namespace

RealMatrix::RealMatrix(int rows, int cols, Fill fill) { reset(rows, cols, fill); }

RealMatrix::RealMatrix(const RealMatrix& other) {
  if (allocate(other.rowCount, other.colCount) && size() > 0)
    std::memcpy(values, other.values, sizeof(double) * size());
}

RealMatrix::RealMatrix(RealMatrix&& other) noexcept
    : values(other.values), rowCount(other.rowCount), colCount(other.colCount), capacity(other.capacity) {
  other.values = nullptr;
  other.rowCount = other.colCount = 0;
  other.capacity = 0;
}

RealMatrix& RealMatrix::operator=(const RealMatrix& other) {
  if (this == &other) return *this;
  if (allocate(other.rowCount, other.colCount) && size() > 0)
    std::memcpy(values, other.values, sizeof(double) * size());
  return *this;
}

RealMatrix& RealMatrix::operator=(RealMatrix&& other) noexcept {
  if (this == &other) return *this;
  delete[] values;
  values = other.values;
  rowCount = other.rowCount;
  colCount = other.colCount;
  capacity = other.capacity;
  other.values = nullptr;
  other.rowCount = other.colCount = 0;
  other.capacity = 0;
  return *this;
}

RealMatrix::~RealMatrix() { delete[] values; }

bool RealMatrix::allocate(int rows, int cols) {
  if (rows < 0) rows = 0;
  if (cols < 0) cols = 0;
  const std::int64_t cells = static_cast<std::int64_t>(rows) * cols;
  if (cells > std::numeric_limits<int>::max()) {
    rowCount = colCount = 0;
    return false;
  }
  if (cells <= capacity) {
    rowCount = rows;
    colCount = cols;
    return true;
  }
  delete[] values;
  values = new (std::nothrow) double[static_cast<std::size_t>(cells)];
  if (!values) {
    rowCount = colCount = 0;
    capacity = 0;
    return false;
  }
  rowCount = rows;
  colCount = cols;
  capacity = static_cast<std::ptrdiff_t>(cells);
  return true;
}

bool RealMatrix::reset(int rows, int cols, Fill kind) {
  if (!allocate(rows, cols)) return false;
  fill(fillValue(kind));
  return true;
}

void RealMatrix::fill(double x) {
  const int n = size();
  for (int i = 0; i < n; ++i) values[i] = x;
}

RealVector RealMatrix::operator()(const RealVector& rowIdx, int c) const {
  RealVector result(rowIdx.size());
  if (result.size() != rowIdx.size()) return result;
  const bool colOk = c >= 1 && c <= colCount;
  for (int i = 0; i < rowIdx.size(); ++i) {
    const int r = position(rowIdx[i], rowCount);
    result[i] = (colOk && r >= 0) ? values[at(r, c - 1, colCount)] : kNaN;
  }
  return result;
}

RealVector RealMatrix::operator()(int r, const RealVector& colIdx) const {
  RealVector result(colIdx.size());
  if (result.size() != colIdx.size()) return result;
  const bool rowOk = r >= 1 && r <= rowCount;
  for (int j = 0; j < colIdx.size(); ++j) {
    const int c = position(colIdx[j], colCount);
    result[j] = (rowOk && c >= 0) ? values[at(r - 1, c, colCount)] : kNaN;
  }
  return result;
}

RealMatrix RealMatrix::operator()(const RealVector& rowIdx, const RealVector& colIdx) const {
  RealMatrix result(rowIdx.size(), colIdx.size());
  if (result.rows() != rowIdx.size() || result.cols() != colIdx.size()) return RealMatrix();
  for (int i = 0; i < rowIdx.size(); ++i) {
    const int r = position(rowIdx[i], rowCount);
    for (int j = 0; j < colIdx.size(); ++j) {
      const int c = position(colIdx[j], colCount);
      result.values[at(i, j, result.colCount)] = (r >= 0 && c >= 0) ? values[at(r, c, colCount)] : kNaN;
    }
  }
  return result;
}

void RealMatrix::assign(const RealVector& rowIdx, const RealVector& colIdx, const RealMatrix& n) {
  const int rowPairs = rowIdx.size() < n.rowCount ? rowIdx.size() : n.rowCount;
  const int colPairs = colIdx.size() < n.colCount ? colIdx.size() : n.colCount;
  for (int i = 0; i < rowPairs; ++i) {
    const int r = position(rowIdx[i], rowCount);
    if (r < 0) continue;
    for (int j = 0; j < colPairs; ++j) {
      const int c = position(colIdx[j], colCount);
      if (c >= 0) values[at(r, c, colCount)] = n.values[at(i, j, n.colCount)];
    }
  }
}

void RealMatrix::assign(const RealVector& rowIdx, int c, const RealVector& w) {
  if (c < 1 || c > colCount) return;
  const int pairs = rowIdx.size() < w.size() ? rowIdx.size() : w.size();
  for (int i = 0; i < pairs; ++i) {
    const int r = position(rowIdx[i], rowCount);
    if (r >= 0) values[at(r, c - 1, colCount)] = w[i];
  }
}

void RealMatrix::assign(int r, const RealVector& colIdx, const RealVector& w) {
  if (r < 1 || r > rowCount) return;
  const int pairs = colIdx.size() < w.size() ? colIdx.size() : w.size();
  for (int j = 0; j < pairs; ++j) {
    const int c = position(colIdx[j], colCount);
    if (c >= 0) values[at(r - 1, c, colCount)] = w[j];
  }
}

void RealMatrix::setRow(int i, const RealVector& v) {
  if (i < 1 || i > rowCount) return;
  const int n = v.size() < colCount ? v.size() : colCount;
  if (n > 0) std::memcpy(rowData(i), v.data(), sizeof(double) * n);
}

void RealMatrix::setColumn(int j, const RealVector& v) {
  if (j < 1 || j > colCount) return;
  const int n = v.size() < rowCount ? v.size() : rowCount;
  for (int r = 0; r < n; ++r) values[at(r, j - 1, colCount)] = v[r];
}

void RealMatrix::removeRow(int i) {
  if (i < 1 || i > rowCount) return;
  const std::ptrdiff_t tail = static_cast<std::ptrdiff_t>(rowCount - i) * colCount;
  if (tail > 0) std::memmove(rowData(i), rowData(i + 1), sizeof(double) * tail);
  --rowCount;
}

void RealMatrix::removeColumn(int j) {
  if (j < 1 || j > colCount) return;
  // Compact row by row from the front: the destination never overtakes the
  // source, so every element is read before it is overwritten.
  const int newCols = colCount - 1;
  double* dst = values;
  for (int r = 0; r < rowCount; ++r) {
    const double* src = values + at(r, 0, colCount);
    if (j - 1 > 0) std::memmove(dst, src, sizeof(double) * (j - 1));
    if (newCols - (j - 1) > 0) std::memmove(dst + (j - 1), src + j, sizeof(double) * (newCols - (j - 1)));
    dst += newCols;
  }
  colCount = newCols;
}

RealMatrix zeros(int rows, int cols) { return RealMatrix(rows, cols, Fill::zeros); }
RealMatrix filled(Fill kind, int rows, int cols) { return RealMatrix(rows, cols, kind); }

RealVector row(const RealMatrix& m, int i) {
  if (i < 1 || i > m.rows()) return RealVector();
  RealVector result(m.cols());
  if (result.size() == m.cols() && m.cols() > 0) std::memcpy(result.data(), m.rowData(i), sizeof(double) * m.cols());
  return result;
}

RealVector column(const RealMatrix& m, int j) {
  if (j < 1 || j > m.cols()) return RealVector();
  RealVector result(m.rows());
  if (result.size() != m.rows()) return result;
  for (int r = 0; r < m.rows(); ++r) result[r] = m.data()[at(r, j - 1, m.cols())];
  return result;
}

RealMatrix selectRows(const RealMatrix& m, const RealVector& idx) {
  RealMatrix result(idx.size(), m.cols());
  if (result.rows() != idx.size() || result.cols() != m.cols()) return RealMatrix();
  for (int i = 0; i < idx.size(); ++i) {
    const int r = position(idx[i], m.rows());
    double* dst = result.data() + at(i, 0, m.cols());
    if (r >= 0) {
      if (m.cols() > 0) std::memcpy(dst, m.data() + at(r, 0, m.cols()), sizeof(double) * m.cols());
    } else {
      for (int c = 0; c < m.cols(); ++c) dst[c] = kNaN;
    }
  }
  return result;
}

RealMatrix fromVector(const RealVector& v) {
  RealMatrix result(1, v.size());
  if (result.cols() == v.size() && v.size() > 0) std::memcpy(result.data(), v.data(), sizeof(double) * v.size());
  return result;
}

RealMatrix transpose(const RealMatrix& m) {
  RealMatrix result(m.cols(), m.rows());
  if (result.size() != m.size()) return result;
  for (int r = 0; r < m.rows(); ++r)
    for (int c = 0; c < m.cols(); ++c) result.data()[at(c, r, m.rows())] = m.data()[at(r, c, m.cols())];
  return result;
}

RealMatrix appendColumns(const RealMatrix& m, const RealMatrix& n) {
  if (n.empty()) return m;
  if (m.empty()) return n;
  if (m.rows() != n.rows()) return m;
  RealMatrix result(m.rows(), m.cols() + n.cols());
  if (result.rows() != m.rows()) return m;
  for (int r = 1; r <= m.rows(); ++r) {
    std::memcpy(result.rowData(r), m.rowData(r), sizeof(double) * m.cols());
    std::memcpy(result.rowData(r) + m.cols(), n.rowData(r), sizeof(double) * n.cols());
  }
  return result;
}

RealMatrix appendRows(const RealMatrix& m, const RealMatrix& n) {
  if (n.empty()) return m;
  if (m.empty()) return n;
  if (m.cols() != n.cols()) return m;
  RealMatrix result(m.rows() + n.rows(), m.cols());
  if (result.cols() != m.cols()) return m;
  std::memcpy(result.data(), m.data(), sizeof(double) * m.size());
  std::memcpy(result.data() + m.size(), n.data(), sizeof(double) * n.size());
  return result;
}

RealMatrix operator*(double x, const RealMatrix& m) {
  return map(m, [x](double a) { return x * a; });
}
RealMatrix operator*(const RealMatrix& m, double x) {
  return map(m, [x](double a) { return a * x; });
}
RealMatrix operator/(const RealMatrix& m, double x) {
  return map(m, [x](double a) { return a / x; });
}
RealMatrix operator+(const RealMatrix& m, double x) {
  return map(m, [x](double a) { return a + x; });
}
RealMatrix operator-(const RealMatrix& m, double x) {
  return map(m, [x](double a) { return a - x; });
}
RealMatrix operator-(const RealMatrix& m) {
  return map(m, [](double a) { return -a; });
}

RealMatrix isNan(const RealMatrix& m) {
  return map(m, [](double a) { return truth(std::isnan(a)); });
}
RealMatrix isZero(const RealMatrix& m) {
  return map(m, [](double a) { return truth(a == 0.0); });
}
RealMatrix magnitude(const RealMatrix& re, const RealMatrix& im) {
  return zipWith(re, im, [](double a, double b) { return std::sqrt(a * a + b * b); });
}
RealMatrix phase(const RealMatrix& re, const RealMatrix& im) {
  return zipWith(re, im, [](double a, double b) { return std::atan2(-b, a); });
}

void unwrapRowsInPlace(RealMatrix& m) {
  const int cols = m.cols();
  for (int r = 2; r <= m.rows(); ++r) {
    const double* above = m.rowData(r - 1);
    double* here = m.rowData(r);
    for (int c = 0; c < cols; ++c) {
      const double d = here[c] - above[c];
      if (!std::isfinite(d) || (d <= kPi && d >= -kPi)) continue;
      // The fewest whole turns that bring the difference within -pi..pi from
      // the side it left (so it lands in (-pi, pi] from above and [-pi, pi)
      // from below, as turning one step at a time would), taken in one step;
      // then at most a few single turns where rounding left it just outside.
      double x = here[c];
      if (d > kPi) {
        x -= std::ceil((d - kPi) / kTwoPi) * kTwoPi;
      } else {
        x += std::ceil((-kPi - d) / kTwoPi) * kTwoPi;
      }
      for (int guard = 0; guard < 4 && x - above[c] > kPi; ++guard) x -= kTwoPi;
      for (int guard = 0; guard < 4 && x - above[c] < -kPi; ++guard) x += kTwoPi;
      here[c] = x;
    }
  }
}

RealMatrix unwrapRows(const RealMatrix& m) {
  RealMatrix result(m);
  unwrapRowsInPlace(result);
  return result;
}

RealVector columnMax(const RealMatrix& m) {
  RealVector result(m.cols());
  if (result.size() != m.cols()) return result;
  result.fill(-hugeValue);
  for (int r = 1; r <= m.rows(); ++r) {
    const double* src = m.rowData(r);
    for (int c = 0; c < m.cols(); ++c)
      if (src[c] > result[c]) result[c] = src[c];
  }
  return result;
}

RealVector columnSum(const RealMatrix& m) {
  RealVector result(m.cols());
  if (result.size() != m.cols()) return result;
  for (int r = 1; r <= m.rows(); ++r) {
    const double* src = m.rowData(r);
    for (int c = 0; c < m.cols(); ++c) result[c] += src[c];
  }
  return result;
}

RealVector flattenColumns(const RealMatrix& m, int first, int last) {
  if (first < 1) first = 1;
  if (last > m.size()) last = m.size();
  if (last < first) return RealVector();
  RealVector result(last - first + 1);
  if (result.size() != last - first + 1) return result;
  for (int p = first; p <= last; ++p) {
    const int c = (p - 1) / m.rows();
    const int r = (p - 1) % m.rows();
    result[p - first] = m.data()[at(r, c, m.cols())];
  }
  return result;
}

}  // namespace vt::analysis
