// The labels of a record's block, in order, as the tests expect them: written out here rather
// than taken from the viewer, so that a change there shows.
#pragma once

namespace testing_support {

inline constexpr const char* kBlockLabels[18] = {"Event: ",
                                                 "Date: ",
                                                 "Time: ",
                                                 "Description: ",
                                                 "IP Address: ",
                                                 "Host Name: ",
                                                 "MAC Address: ",
                                                 "User Name: ",
                                                 "Transaction ID: ",
                                                 "QR Result: ",
                                                 "Probation Time: ",
                                                 "Correlation ID: ",
                                                 "Dhc ID: ",
                                                 "VendorClass(Hex): ",
                                                 "VendorClass(ASCII): ",
                                                 "UserClass(Hex): ",
                                                 "UserClass(ASCII): ",
                                                 "RelayAgentInformation: "};

}  // namespace testing_support
