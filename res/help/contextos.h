/* Números de contexto de la ayuda: F1 en la ventana del programa pide el 3. */
#define IDH_PRINCIPAL 3
