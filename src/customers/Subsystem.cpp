// The customers subsystem; its files arrive beside this one.
namespace customers {}
