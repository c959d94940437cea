// The automation class's fixed identities: its class and interface
// identifiers, its ProgID, and where it is served on the session bus.
#pragma once

// Braced text forms; macros so that they can also be pasted into string
// literals (the object's introspection data names its interface identifier).
#define ORVANE_CLASS_ID "{6E2B8C41-93D7-4F0A-B5E8-1C4D7A92F360}"
#define ORVANE_INTERFACE_ID "{B8F3A0D5-27C4-4E69-8A1B-5D60E3C9F472}"
// Bus interface names, as macros for the same reason.
#define ORVANE_FACTORY_INTERFACE "Orvane.Application.ClassFactory"
#define ORVANE_OBJECT_INTERFACE "Orvane.Application.Object"

namespace orvane::automation {

inline constexpr char kClassId[] = ORVANE_CLASS_ID;
inline constexpr char kInterfaceId[] = ORVANE_INTERFACE_ID;
// Also the class's short and long type name.
inline constexpr char kProgId[] = "Orvane.Application";

// The bus name a client asks for; the bus starts the program to serve it.
inline constexpr char kBusName[] = "Orvane.Application";
inline constexpr char kFactoryPath[] = "/Orvane/Application";
inline constexpr char kFactoryInterface[] = ORVANE_FACTORY_INTERFACE;
inline constexpr char kObjectPath[] = "/Orvane/Application/Object";
inline constexpr char kObjectInterface[] = ORVANE_OBJECT_INTERFACE;
// The switch the bus's activation file passes to the program.
inline constexpr char kEmbeddingSwitch[] = "Embedding";
inline constexpr char kAutomationSwitch[] = "Automation";

}  // namespace orvane::automation
