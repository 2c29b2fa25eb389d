#pragma once

#include "address_list.h"
#include "netbios_operation.h"

// Appends the hardware address of every LAN adapter that answers its status
// query, in the service's LANA order. Errors propagate; nothing is caught here.
void GetMacAddress(AddressList& colMacAddress, const NetbiosOperation& netbios);
