#include "model/spatial_dynamics.hpp"

namespace kinetra::dynamics {
namespace {

using Block = std::array<double, 9>;  // 3x3, row-major

Block block(const Matrix6& a, std::size_t row, std::size_t col) {
  Block b;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) b[i * 3 + j] = a(row + i, col + j);
  }
  return b;
}

[[gnu::always_inline]] inline Block product(const Block& a, const Block& b) {
  Block c;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      c[i * 3 + j] = a[i * 3] * b[j] + a[i * 3 + 1] * b[3 + j] + a[i * 3 + 2] * b[6 + j];
    }
  }
  return c;
}

Block transpose(const Block& a) { return {a[0], a[3], a[6], a[1], a[4], a[7], a[2], a[5], a[8]}; }

// R X R^T for a symmetric X: only the upper triangle is computed.
[[gnu::always_inline]] inline Block rotate_symmetric(const Block& r, const Block& x) {
  const Block rx = product(r, x);
  Block out;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = i; j < 3; ++j) {
      out[i * 3 + j] =
          rx[i * 3] * r[j * 3] + rx[i * 3 + 1] * r[j * 3 + 1] + rx[i * 3 + 2] * r[j * 3 + 2];
      out[j * 3 + i] = out[i * 3 + j];
    }
  }
  return out;
}

Block skew(const Vector3D& v) { return {0, -v[2], v[1], v[2], 0, -v[0], -v[1], v[0], 0}; }

Block rows_of(const kernel::Placement<double>& m) {
  return {m.c[0][0], m.c[1][0], m.c[2][0], m.c[0][1], m.c[1][1],
          m.c[2][1], m.c[0][2], m.c[1][2], m.c[2][2]};
}

}  // namespace

Matrix6 inertia_matrix(const Inertia& inertia) {
  const double m = inertia.mass();
  const Vector3D& c = inertia.com();
  const Symmetric3 rotational = inertia.inertia() - m * Symmetric3::skew_square(c);
  Matrix6 out;  // every entry is written below
  const Block mc = skew(c * m);
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      out(i, j) = rotational(i, j);
      out(i, j + 3) = mc[i * 3 + j];
      out(i + 3, j) = mc[j * 3 + i];
    }
    for (std::size_t j = 0; j < 3; ++j) out(i + 3, j + 3) = i == j ? m : 0.0;
  }
  return out;
}

Force apply(const Matrix6& a, const Motion& x) {
  const double in[6] = {x.angular[0], x.angular[1], x.angular[2],
                        x.linear[0],  x.linear[1],  x.linear[2]};
  double out[6];
  for (std::size_t i = 0; i < 6; ++i) {
    double s = 0.0;
    for (std::size_t j = 0; j < 6; ++j) s += a(i, j) * in[j];
    out[i] = s;
  }
  return {{out[0], out[1], out[2]}, {out[3], out[4], out[5]}};
}

void add_inertia_to_parent(const kernel::Placement<double>& pMi, const Matrix6& inertia,
                           Matrix6& out) {
  // iXp^T = T diag(R, R) with T = [[1, S], [0, 1]] and S = [p]x. Rotate every block
  // (R X R^T), then shift by p:
  //   top left  A + S B^T + B S^T + S C S^T,  top right  B + S C,  bottom right  C.
  // Products with S are cross products with p, column by column.
  const Vector3D p(pMi.p[0], pMi.p[1], pMi.p[2]);
  const Block rows = rows_of(pMi);
  const Block a = rotate_symmetric(rows, block(inertia, 0, 0));
  const Block b = product(product(rows, block(inertia, 0, 3)), transpose(rows));
  const Block c = rotate_symmetric(rows, block(inertia, 3, 3));
  auto column = [](const Block& m, std::size_t j) { return Vector3D(m[j], m[3 + j], m[6 + j]); };
  auto row = [](const Block& m, std::size_t i) {
    return Vector3D(m[i * 3], m[i * 3 + 1], m[i * 3 + 2]);
  };
  Block sc, sbt, scst;  // S C, S B^T, S C S^T = S (S C)^T (C is symmetric)
  for (std::size_t j = 0; j < 3; ++j) {
    const Vector3D x = p.cross(column(c, j));
    const Vector3D y = p.cross(row(b, j));  // column j of B^T
    for (std::size_t i = 0; i < 3; ++i) {
      sc[i * 3 + j] = x[i];
      sbt[i * 3 + j] = y[i];
    }
  }
  for (std::size_t j = 0; j < 3; ++j) {
    const Vector3D z = p.cross(row(sc, j));  // column j of (S C)^T
    for (std::size_t i = 0; i < 3; ++i) scst[i * 3 + j] = z[i];
  }
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) {
      out(i, j) += a[i * 3 + j] + sbt[i * 3 + j] + sbt[j * 3 + i] + scst[i * 3 + j];
      const double top_right = b[i * 3 + j] + sc[i * 3 + j];
      out(i, j + 3) += top_right;
      out(j + 3, i) += top_right;
      out(i + 3, j + 3) += c[i * 3 + j];
    }
  }
}

}  // namespace kinetra::dynamics
