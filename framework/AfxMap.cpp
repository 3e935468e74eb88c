// AfxMap.cpp - CMapStringToPtr.
#include "framework/AfxMap.h"

#include <new>
#include <string.h>

CMapStringToPtr::CMapStringToPtr(int nBlockSize)
    : m_pHashTable(NULL), m_nHashTableSize(17), m_nCount(0), m_pFreeList(NULL), m_pBlocks(NULL),
      m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10)
{
}

CMapStringToPtr::~CMapStringToPtr()
{
    RemoveAll();
}

UINT CMapStringToPtr::HashKey(LPCSTR key)
{
    UINT nHash = 2166136261u; // FNV-1a
    for (const unsigned char* p = (const unsigned char*)key; *p; ++p)
        nHash = (nHash ^ *p) * 16777619u;
    return nHash;
}

CMapStringToPtr::CAssoc* CMapStringToPtr::GetAssocAt(LPCSTR key, UINT& nHash) const
{
    nHash = HashKey(key);
    if (!m_pHashTable)
        return NULL;
    for (CAssoc* p = m_pHashTable[nHash % (UINT)m_nHashTableSize]; p; p = p->pNext)
        if (p->nHashValue == nHash && strcmp(p->key, key) == 0)
            return p;
    return NULL;
}

CMapStringToPtr::CAssoc* CMapStringToPtr::NewAssoc()
{
    if (!m_pFreeList)
    {
        // One raw block holds the chain link and m_nBlockSize entries.
        size_t size = sizeof(CBlock) + sizeof(CAssoc) * (size_t)m_nBlockSize;
        CBlock* pBlock = (CBlock*)::operator new(size);
        pBlock->pNext = m_pBlocks;
        m_pBlocks = pBlock;
        CAssoc* pAssoc = (CAssoc*)(pBlock + 1);
        for (int i = m_nBlockSize - 1; i >= 0; --i)
        {
            pAssoc[i].pNext = m_pFreeList;
            m_pFreeList = &pAssoc[i];
        }
    }
    CAssoc* pFree = m_pFreeList;
    CAssoc* pNextFree = pFree->pNext;
    CAssoc* pAssoc = new (pFree) CAssoc();
    m_pFreeList = pNextFree;
    ++m_nCount;
    return pAssoc;
}

void CMapStringToPtr::FreeAssoc(CAssoc* pAssoc)
{
    pAssoc->~CAssoc();
    pAssoc->pNext = m_pFreeList;
    m_pFreeList = pAssoc;
    --m_nCount;
}

void CMapStringToPtr::Rehash(int nNewSize)
{
    CAssoc** pNewTable = new CAssoc*[(size_t)nNewSize]();
    if (m_pHashTable)
    {
        for (int i = 0; i < m_nHashTableSize; ++i)
        {
            CAssoc* p = m_pHashTable[i];
            while (p)
            {
                CAssoc* pNext = p->pNext;
                UINT bucket = p->nHashValue % (UINT)nNewSize;
                p->pNext = pNewTable[bucket];
                pNewTable[bucket] = p;
                p = pNext;
            }
        }
        delete[] m_pHashTable;
    }
    m_pHashTable = pNewTable;
    m_nHashTableSize = nNewSize;
}

BOOL CMapStringToPtr::Lookup(LPCSTR key, void*& rValue) const
{
    UINT nHash;
    CAssoc* pAssoc = GetAssocAt(key ? key : "", nHash);
    if (!pAssoc)
        return FALSE;
    rValue = pAssoc->value;
    return TRUE;
}

void*& CMapStringToPtr::operator[](LPCSTR key)
{
    if (!key)
        key = "";
    UINT nHash;
    CAssoc* pAssoc = GetAssocAt(key, nHash);
    if (pAssoc)
        return pAssoc->value;

    if (!m_pHashTable)
        Rehash(m_nHashTableSize);
    else if (m_nCount >= m_nHashTableSize * 2)
        Rehash(m_nHashTableSize * 4 + 1); // keep chains short: load factor under 2
    pAssoc = NewAssoc();
    pAssoc->nHashValue = nHash;
    pAssoc->key = key;
    pAssoc->value = NULL;
    UINT bucket = nHash % (UINT)m_nHashTableSize;
    pAssoc->pNext = m_pHashTable[bucket];
    m_pHashTable[bucket] = pAssoc;
    return pAssoc->value;
}

void CMapStringToPtr::SetAt(LPCSTR key, void* newValue)
{
    (*this)[key] = newValue;
}

BOOL CMapStringToPtr::RemoveKey(LPCSTR key)
{
    if (!m_pHashTable)
        return FALSE;
    UINT nHash = HashKey(key ? key : "");
    CAssoc** ppPrev = &m_pHashTable[nHash % (UINT)m_nHashTableSize];
    for (CAssoc* p = *ppPrev; p; ppPrev = &p->pNext, p = p->pNext)
    {
        if (p->nHashValue == nHash && strcmp(p->key, key ? key : "") == 0)
        {
            *ppPrev = p->pNext;
            FreeAssoc(p);
            return TRUE;
        }
    }
    return FALSE;
}

void CMapStringToPtr::RemoveAll()
{
    if (m_pHashTable)
    {
        for (int i = 0; i < m_nHashTableSize; ++i)
            for (CAssoc* p = m_pHashTable[i]; p; p = p->pNext)
                p->~CAssoc();
        delete[] m_pHashTable;
        m_pHashTable = NULL;
    }
    m_nHashTableSize = 17;
    m_nCount = 0;
    m_pFreeList = NULL;
    while (m_pBlocks)
    {
        CBlock* pNext = m_pBlocks->pNext;
        ::operator delete(m_pBlocks);
        m_pBlocks = pNext;
    }
}

POSITION CMapStringToPtr::GetStartPosition() const
{
    if (m_nCount == 0 || !m_pHashTable)
        return NULL;
    for (int i = 0; i < m_nHashTableSize; ++i)
        if (m_pHashTable[i])
            return (POSITION)m_pHashTable[i];
    return NULL;
}

void CMapStringToPtr::GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const
{
    CAssoc* pAssoc = (CAssoc*)rNextPosition;
    if (!pAssoc)
        return;
    rKey = pAssoc->key;
    rValue = pAssoc->value;

    CAssoc* pNext = pAssoc->pNext;
    if (!pNext)
    {
        for (UINT bucket = pAssoc->nHashValue % (UINT)m_nHashTableSize + 1;
             bucket < (UINT)m_nHashTableSize; ++bucket)
        {
            if (m_pHashTable[bucket])
            {
                pNext = m_pHashTable[bucket];
                break;
            }
        }
    }
    rNextPosition = (POSITION)pNext;
}
