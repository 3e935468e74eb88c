// SimFaults.h - SimOperation, SimFault and the fault table.
//
// Every operation the simulator serves has a name, "Interface.Operation", and
// an out kind. The configuration may add fault rules for those names (and for
// interface names, to refuse them in QueryInterface); each operation consults
// the table once per call, through SimCall. A rule may be limited to the n-th
// call of its operation.
#ifndef SIMULATOR_SIMFAULTS_H
#define SIMULATOR_SIMFAULTS_H

#include <windows.h>
#include <ole2.h>

#include <string>

// What an operation hands out, which decides the faults that fit it.
enum SimOutKind
{
    OUT_NONE,       // nothing (setters, commands)
    OUT_OBJECT,     // an IUnknown of a new object
    OUT_ITEM,       // a VARIANT holding an object (IServiceDevices::Item)
    OUT_STRING,     // a BSTR
    OUT_NUMBER,     // a long
    OUT_VARIANT,    // a VARIANT holding a number
    OUT_INTERFACE   // not an operation: an interface name, for "refuse"
};

struct SimOperation
{
    std::string name;
    SimOutKind out;
};

// The operation (or interface) of that name; NULL when there is none.
const SimOperation* FindOperation(const std::string& name);

enum SimFaultKind
{
    FAULT_FAIL,         // return a failure HRESULT, hand out nothing, change nothing
    FAULT_FAILOBJECT,   // return a failure HRESULT but hand out the object anyway
    FAULT_NOOBJECT,     // succeed without an object (VARIANT: VT_DISPATCH holding NULL)
    FAULT_REFUSE,       // QueryInterface for the interface answers E_NOINTERFACE
    FAULT_NULL,         // succeed with a null BSTR
    FAULT_LONG,         // succeed with a very long BSTR (the real text, padded)
    FAULT_NUMBER,       // succeed with a chosen number
    FAULT_VARTYPE       // succeed with the VARIANT converted to a wrong type
};

struct SimFault
{
    std::string target;     // operation or interface name
    SimFaultKind kind;
    HRESULT result;         // FAULT_FAIL, FAULT_FAILOBJECT
    long number;            // FAULT_NUMBER
    long length;            // FAULT_LONG, in characters
    VARTYPE type;           // FAULT_VARTYPE
    long onlyCall;          // 0: every call; n: only the n-th call
    long calls;             // calls of the target seen so far
    int line;               // configuration line
};

// Adds a rule (from the configuration) / removes all rules (at unload).
void AddFault(const SimFault& fault);
void ClearFaults();
long FaultCount();

// Counts one call of `target` for every rule on it and returns the first rule
// that applies to this call, or NULL.
const SimFault* ConsultFaults(const std::string& target);

#endif // SIMULATOR_SIMFAULTS_H
