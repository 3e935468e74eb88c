// AfxMap.h - CMapStringToPtr: a hash map from strings to untyped pointers.
//
// Keys are copied; values are not owned (the caller frees what they point
// to). The table grows as entries are added, so lookups stay constant-time
// however many keys there are. Iteration order is unspecified.
#pragma once

#include "framework/AfxString.h"

typedef struct __POSITION { int unused; }* POSITION;

class CMapStringToPtr
{
public:
    // nBlockSize: how many entries are allocated together.
    explicit CMapStringToPtr(int nBlockSize = 10);
    ~CMapStringToPtr();
    CMapStringToPtr(const CMapStringToPtr&) = delete;
    CMapStringToPtr& operator=(const CMapStringToPtr&) = delete;

    int GetCount() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }

    // Returns TRUE and sets rValue when the key is present.
    BOOL Lookup(LPCSTR key, void*& rValue) const;
    // Adds the key or replaces its value.
    void SetAt(LPCSTR key, void* newValue);
    // Reference to the value of key, added as NULL when absent. Entries
    // never move: the reference stays good, however the table grows, until
    // the key is removed or the map emptied.
    void*& operator[](LPCSTR key);
    // Returns TRUE when the key was present.
    BOOL RemoveKey(LPCSTR key);
    void RemoveAll();

    // Iteration: pos = GetStartPosition(); while (pos) GetNextAssoc(pos, k, v);
    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const;

    int GetHashTableSize() const { return m_nHashTableSize; }

private:
    struct CAssoc
    {
        CAssoc* pNext;
        UINT nHashValue;
        CString key;
        void* value;
    };
    struct CBlock
    {
        CBlock* pNext;
    };

    static UINT HashKey(LPCSTR key);
    CAssoc* GetAssocAt(LPCSTR key, UINT& nHash) const;
    CAssoc* NewAssoc();
    void FreeAssoc(CAssoc* pAssoc);
    void Rehash(int nNewSize);

    CAssoc** m_pHashTable;
    int m_nHashTableSize;
    int m_nCount;
    CAssoc* m_pFreeList;
    CBlock* m_pBlocks;
    int m_nBlockSize;
};
