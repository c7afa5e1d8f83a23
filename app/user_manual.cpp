// The user manual that Memo1 holds at start: what the program does, the netlist lines exactly as
// the reader takes them (one for each row of the table of element types), the options, the
// plotting rules and keys, and the command line.
#include "app/user_manual.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "netlist/element_types.h"

namespace talvor {

namespace {

constexpr const char* Introduction =
    R"MANUAL(Talvor - Análise de resposta em frequência de circuitos não lineares

O programa faz a análise em regime permanente senoidal de circuitos não lineares invariantes no
tempo: calcula o ponto de operação, lineariza o circuito em torno dele (modelo de pequenos sinais)
e gera tabelas de resposta em frequência (módulo e fase de todas as tensões nodais e correntes
extras), que podem ser vistas em gráficos.

Elementos aceitos e linhas do netlist:
(a primeira linha do netlist é um título e é ignorada; os campos são separados por espaços)
)MANUAL";

// The other forms of a source line, after the last source.
constexpr const char* SourceConversions =
    R"MANUAL(                         V<nome> nó+ nó- SIN(nível_contínuo ...)
                         V<nome> nó+ nó- PULSE(nível_inicial ...)
                         (também para I<nome>)
)MANUAL";

constexpr const char* AfterTheList = R"MANUAL(
Notas:
- Os valores são números decimais simples (1e-3, 2.5, -1), sem sufixos: 1k é lido como 1,
  e o registro avisa, com o número da linha, como escrever o valor pretendido.
  Os nomes de elementos e de nós têm até 10 caracteres; o nó 0 é o terra.
  A primeira letra da linha dá o tipo do elemento (maiúscula ou minúscula); .AC e a escala
  (LIN, DEC, LOG, OCT) são escritos em maiúsculas. Uma linha em branco ou iniciada por espaço
  termina a leitura com "Elemento desconhecido".
- As entradas de F e H são curtos-circuitos: a corrente de controle entra por nói+ e sai por
  nói-.
- O e A têm quatro terminais: a saída é a tensão entre nó_saída+ e nó_saída-, e a entrada é a
  tensão entre nó_entrada+ e nó_entrada-. O é ideal (ganho infinito); A tem ganho
  A(s)=GB/(s+P) e resistência de saída Rsaída.
- X é um indutor sem variável de corrente; L tem a corrente como variável.
- K acopla dois indutores L declarados antes dele no netlist; k é o coeficiente de acoplamento
  e a indutância mútua é k*sqrt(L1*L2).
- Fontes: módulo e fase(graus) dão o sinal senoidal; valor_contínuo é usado no ponto de operação.
  "DC valor" gera uma fonte contínua (módulo 0). "SIN(nível ...)" e "PULSE(nível ...)" geram
  uma fonte de módulo 1 e fase 0, com o primeiro parâmetro como valor contínuo.
- Diodo: I=Is*(exp(V/VT)-1), linearizado acima da tensão máxima das opções; capacitância reversa
  C0/sqrt(1-V/0.6) e direta C1*I*1e9. Padrão: Is=1e-9 VT=0.043429445 C0=5e-12 C1=1e-16.
- Transistor bipolar (Ebers-Moll com efeito Early), tipo N (npn) ou P (pnp). Padrão: alfa=0.99
  alfar=0.5 Isbe=1e-9 VTbe=0.043429445 Isbc=1e-9 VTbc=0.043429445 VA=100 C0be=5e-12
  C1be=1e-16 C0bc=5e-12 C1bc=1e-16.
- Transistor MOS (nível 1, simétrico, com efeito de corpo), tipo N ou P. "L=" e "W=" podem ser
  omitidos ("N 2e-6 1e-5" equivale a "N L=2e-6 W=1e-5"); "l=" em minúsculas não é aceito.
  Padrão: L=1e-6 W=1e-6 K=1e-4 VT0=1 Lambda=0.01 Gama=0.3 Fi=0.6 Ld=1e-7.
- N: resistor de três segmentos de reta pelos quatro pontos (v, i) dados, todos obrigatórios.
- .AC: LIN dá "pontos" no total; DEC ou LOG, pontos por década; OCT, pontos por oitava. Sem
  linha .AC, as frequências são pedidas na janela "Parâmetros" (botão "Aplicar").
- A tabela é escrita no arquivo do netlist com extensão .tab.

Opções de configuração:
(menu "Configuração", janela "Parâmetros"; valem a partir do próximo uso, com ou sem "Aplicar")
- Mostrar estampas: lista o sistema após a estampa de cada elemento (na varredura, só nos
  cinco primeiros pontos).
- Mostrar resultados: lista as variáveis após cada iteração e nos cinco primeiros pontos.
- Ignorar linha de comando: usa as frequências desta janela mesmo havendo linha .AC.
- Montar diodos MOS: inclui os diodos de substrato dos MOS no ponto de operação.
- Inicializar com diodos e MOS conduzindo: primeira iteração com junções e MOS conduzindo.
- Montar capacitâncias de diodos e Cbe, Cbc de transistores bipolares.
- Frequências em Hz (senão em rad/s); Módulos em dB; Fases em graus (senão em radianos).
- Montar capacitâncias MOS Cgs e Cgd; Montar capacitâncias MOS Cgb.
- Máxima tensão para função exponencial em diodos (0.7); condutância colocada no lugar das
  capacitâncias no cálculo do ponto de operação (1e-9); aproximação inicial das variáveis (0).
- Frequência inicial, final, pontos e escala (Linear, Logarítmica, Octal): usadas sem linha .AC.
- Nos campos numéricos a vírgula decimal vale como ponto (0,1 = 0.1); um campo que não é só um
  número é apontado no registro com o valor usado.
- "Parar análise" interrompe o cálculo do ponto de operação ou a varredura; as linhas já
  escritas ficam na tabela.
- "Arquivo" / "Salvar relatório..." grava todo o registro num arquivo de texto; "Limpar
  relatório" o esvazia.

Gráficos:
(menu "Gráfico", janela "Lista de curvas")
- Cada linha da lista é uma curva: arquivo coluna_x coluna_y [operação]
  O nome do arquivo deve conter um "."; linhas iniciadas por "*" são comentários.
  As colunas são dadas pelos nomes da primeira linha da tabela ("Usar nomes das colunas") ou
  por números a partir de 1. Uma tabela gerada tem a coluna f e, para cada variável, o nome
  da variável seguido de m (módulo) e de f (fase): 1m 1f 2m 2f jV1m jV1f ...
- Operação: "+" soma a curva anterior, "-" subtrai a curva anterior, "x" esconde a curva.
- Até 20 curvas de até 50000 pontos. Linhas da tabela que não começam por um número são
  ignoradas; qualquer arquivo de colunas numéricas pode ser plotado.
- "Procurar" e "Copiar" acrescentam a linha "arquivo f 1m" (sem coluna 1m, a segunda coluna da
  tabela); "Copiar" usa a tabela da última análise. "Plotar" lê as tabelas e mostra a janela
  "Gráficos".
- "Colunas..." lista as colunas da tabela da última análise (ou de outra, com "Tabela..."),
  módulo e fase lado a lado por variável, já marcado o módulo do nó que deve ser a saída (out,
  saida, vo ou vout; senão o último nó); "OK" acrescenta uma linha por coluna marcada.
- Fases (colunas terminadas em "f") são desenhadas na escala fixa de -180 a +180 graus.
- "Divisões numeradas" (ou a tecla n no gráfico): valores redondos nos eixos (décadas 1, 10,
  100, 1k... num eixo logarítmico), títulos dos eixos com as unidades da última análise, escala
  de fase à direita quando módulos e fases dividem o gráfico, legendas num quadro; uma fase que
  dá a volta entre -180 e +180 graus não é ligada por uma linha. Cores próximas demais do fundo
  são desenhadas mais claras ou mais escuras.
- Teclas na janela "Gráficos":
  a / r: amplia / reduz a escala horizontal      + / -: amplia / reduz a escala vertical
  < > ou setas esquerda/direita: move para os lados    u d ou setas acima/abaixo: move
  espaço: volta aos limites da lista de curvas   c: cores aleatórias, visíveis sobre o fundo
  i: inverte as cores (fundo preto ou branco)   n: divisões numeradas (liga/desliga)
  m: escreve no registro as medidas de cada curva (ganhos, pico, banda de meia potência, Q,
     entalhe, ganho unitário, margens de fase e de ganho; a fase de "2m" vem da coluna "2f";
     a tabela da última análise é lida nas unidades das opções com que foi escrita)
  1 / 2: põe o cursor 1 / 2 no ponto da curva mais próximo do mouse (também Ctrl+clique /
     Shift+clique); Ctrl+setas esquerda/direita: move o último cursor posto um ponto ao longo
     da curva (dez com Shift); 0: tira os cursores. A barra de estado mostra os dois pontos, as
     diferenças e a razão em dB entre módulos.
  z ou Backspace: volta à vista anterior (quantas vezes houver)
  Ctrl+S: grava a figura em PNG ou, se o nome termina em .svg, em SVG (vetorial);
  Ctrl+C: copia a figura
- Arrastar o mouse para a direita e para baixo amplia o retângulo marcado.
- Clicar numa legenda escolhe a cor da curva (a cor atual é a primeira das cores
  personalizadas); abaixo das legendas (com divisões numeradas, à esquerda do gráfico), as cores
  da grade. Uma curva cuja cor não apareceria sobre o fundo é desenhada num tom que aparece.

Decks SPICE:
- "Abrir" (e a linha de comando) também aceita decks SPICE escritos para o ngspice (.cir, .sp,
  .spice, .ckt): o deck é convertido como o talvor-spice o converte, os avisos da conversão vão
  para o registro e o netlist é escrito ao lado do deck, com a extensão .net (nunca sobre um
  arquivo que o talvor-spice não escreveu); em seguida esse netlist é analisado.

Uso com linha de comando:
talvor arquivo [t]
  Analisa arquivo (arquivo.net se não houver "." no nome; um deck .cir, .sp, .spice ou .ckt é
  convertido antes); com "t", termina após a análise.

Variar parâmetro... (menu):
  Repete a análise do último netlist analisado para cada valor de um elemento (passos:
  1000,2200,4700, lin:INÍCIO:FIM:N ou dec:INÍCIO:FIM:N, N por década) ou com valores sorteados
  dentro das tolerâncias (Monte Carlo: R:5%,C:10% por tipo, R1:1% ou Q1.VA:20% por elemento). Cada
  análise escreve a sua tabela (circ_1.tab, circ_2.tab, ...); circ_passos.txt lista os valores,
  circ_medidas.tab as medidas do nó escolhido e circ_envelope.tab o mínimo, a mediana e o máximo
  do Monte Carlo. As curvas do nó vão para a lista de curvas e são desenhadas juntas.
)MANUAL";

// "Caption:" and the syntax in a column of its own; a caption that fills the column touches its
// syntax, a longer one is set off by a blank.
std::string ListLine(std::string_view caption, std::string_view syntax)
{
    constexpr int SyntaxColumn = 25;
    int width = 1; // the colon
    for (char c : caption)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80; // UTF-8 characters
    const int blanks = std::max(SyntaxColumn - width, width > SyntaxColumn ? 1 : 0);
    return std::string(caption) + ":" + std::string(blanks, ' ') + std::string(syntax) + "\n";
}

std::string ElementList()
{
    std::string list;
    const auto types = ElementTypes();
    for (size_t k = 0; k < types.size(); ++k) {
        const ElementType& type = types[k];
        list += ListLine(type.description, std::string(1, type.letter) + "<nome> " + type.fields);
        const bool lastSource = type.form == LineForm::Source &&
                                (k + 1 == types.size() || types[k + 1].form != LineForm::Source);
        if (lastSource) {
            list += ListLine("Fontes convertidas", "V<nome> nó+ nó- DC valor");
            list += SourceConversions;
        }
    }
    list += ListLine("Comentário", "*comentário");
    list += ListLine("Comando", ".AC LIN|DEC|LOG|OCT pontos finicial ffinal");
    return list;
}

} // namespace

const char* UserManualText()
{
    static const std::string text = Introduction + ElementList() + AfterTheList;
    return text.c_str();
}

} // namespace talvor
