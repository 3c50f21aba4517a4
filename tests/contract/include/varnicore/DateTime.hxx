// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_DATETIME_HXX
#define VARNICORE_DATETIME_HXX

namespace Corvanthel {
namespace Soa {
namespace Common {

// Six ints; default constructor, destructor and member-wise copy.
class DateTime {
 public:
  DateTime();
  ~DateTime();

 private:
  int year_, month_, day_, hour_, minute_, second_;
};

}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_DATETIME_HXX
