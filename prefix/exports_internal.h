// What the prefix library's tests reach behind its exports.
#ifndef KESTREL_PREFIX_EXPORTS_INTERNAL_H
#define KESTREL_PREFIX_EXPORTS_INTERNAL_H

namespace ksprefix {

// Makes the allocation of the table with that id (1 to 6, as the load's
// messages number them) fail at the next load; 0 for none.
void failTableAllocation(int tableId);

}  // namespace ksprefix

#endif
