# The hosts the programs talk to, in one place. `tamsel` uses the marketplace and the
# maker's two sites; `tamsel-demo` points every host at the bundled simulator on loopback,
# which tells the software site from the rest by the name in the Host header.
set(TAMSEL_SEARCH_HOST "s.taobao.com")
set(TAMSEL_ITEM_HOST "item.taobao.com")
set(TAMSEL_SITE_HOST "www.brannock.cn")
set(TAMSEL_SOFT_HOST "soft.brannock.cn")

set(TAMSEL_DEMO_PORT 18109)
set(TAMSEL_DEMO_HOST "127.0.0.1:${TAMSEL_DEMO_PORT}")
set(TAMSEL_DEMO_SOFT_HOST "localhost:${TAMSEL_DEMO_PORT}")
